#include "app/startup/commandline.h"
#include "platform/files/hostpaths.h"

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

struct Case {
    const char *what;
    QStringList arguments;
    std::optional<int> exitCode;
    QString outputHas;
    QString errorHas;
};

} // namespace

TEST(CommandLine, AnswersHelpAndVersionRefusesUnknownOptionsAndLetsQtOptionsThrough)
{
    const Case cases[] = {
        {"no option", {u"tunora"_s}, std::nullopt, {}, {}},
        {"--help", {u"tunora"_s, u"--help"_s}, 0, u"--version"_s, {}},
        {"-h", {u"tunora"_s, u"-h"_s}, 0, u"--help"_s, {}},
        {"--help-all", {u"tunora"_s, u"--help-all"_s}, 0, u"--version"_s, {}},
        {"--version", {u"tunora"_s, u"--version"_s}, 0, u"tunora 2.3\n"_s, {}},
        {"-v", {u"tunora"_s, u"-v"_s}, 0, u"tunora 2.3\n"_s, {}},
        {"help wins over a Qt option", {u"tunora"_s, u"-platform"_s, u"xcb"_s, u"--help"_s}, 0, u"--help"_s, {}},
        {"unknown long option", {u"tunora"_s, u"--bogus"_s}, 2, {}, u"bogus"_s},
        {"unknown single-dash option", {u"tunora"_s, u"-x"_s}, 2, {}, u"--help"_s},
        {"Qt option without its value", {u"tunora"_s, u"-platform"_s}, 2, {}, u"platform"_s},
        {"Qt option with a value", {u"tunora"_s, u"-platform"_s, u"offscreen"_s}, std::nullopt, {}, {}},
        {"Qt option with =value", {u"tunora"_s, u"--style=fusion"_s}, std::nullopt, {}, {}},
        {"Qt flag", {u"tunora"_s, u"-reverse"_s}, std::nullopt, {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const CommandLineAnswer answer = answerCommandLine(c.arguments);
        EXPECT_EQ(answer.exitCode, c.exitCode);
        if (c.outputHas.isEmpty())
            EXPECT_TRUE(answer.standardOutput.isEmpty()) << answer.standardOutput.toStdString();
        else
            EXPECT_TRUE(answer.standardOutput.contains(c.outputHas)) << answer.standardOutput.toStdString();
        if (c.errorHas.isEmpty())
            EXPECT_TRUE(answer.standardError.isEmpty()) << answer.standardError.toStdString();
        else
            EXPECT_TRUE(answer.standardError.contains(c.errorHas)) << answer.standardError.toStdString();
    }
}

TEST(CommandLine, UsageOnErrorIsTheHelpAndKeepsQtOptionsOutOfIt)
{
    const CommandLineAnswer refused = answerCommandLine({u"tunora"_s, u"--bogus"_s});
    const CommandLineAnswer help = answerCommandLine({u"tunora"_s, u"--help"_s});
    EXPECT_TRUE(refused.standardError.endsWith(help.standardOutput)) << refused.standardError.toStdString();
    for (const QString &qtOption : {u"-platform"_s, u"-style"_s, u"-reverse"_s})
        EXPECT_FALSE(help.standardOutput.contains(qtOption)) << help.standardOutput.toStdString();
}

TEST(CommandLine, EveryOtherArgumentIsASongFileMadeAbsolute)
{
    const FilePath here = currentFolder();
    const auto m = [](const QString &path) { return FilePath(path); };
    struct FilesCase {
        const char *what;
        QStringList arguments;
        QList<FilePath> files;
    };
    const FilesCase cases[] = {
        {"none", {u"tunora"_s}, {}},
        {"absolute, in order", {u"tunora"_s, u"/m/b.mp3"_s, u"/m/a.mp3"_s}, {m(u"/m/b.mp3"_s), m(u"/m/a.mp3"_s)}},
        {"relative to the current directory", {u"tunora"_s, u"songs/../a.mp3"_s}, {here / u"a.mp3"_s}},
        {"a Qt option's value is none", {u"tunora"_s, u"-platform"_s, u"offscreen"_s, u"/m/a.mp3"_s}, {m(u"/m/a.mp3"_s)}},
        {"after -- a dash starts a name", {u"tunora"_s, u"--"_s, u"-a.mp3"_s}, {here / u"-a.mp3"_s}},
    };
    for (const FilesCase &c : cases) {
        SCOPED_TRACE(c.what);
        const CommandLineAnswer answer = answerCommandLine(c.arguments);
        EXPECT_FALSE(answer.exitCode);
        EXPECT_EQ(answer.songFiles, c.files);
    }
    // An unknown option still ends the start, files or not.
    EXPECT_EQ(answerCommandLine({u"tunora"_s, u"/m/a.mp3"_s, u"--bogus"_s}).exitCode, 2);
}
