#include "commandline.h"

#include "platform/files/filenames.h"
#include "platform/files/hostpaths.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace tunora {

namespace {

constexpr int kUsageError = 2;

// Options that QApplication itself takes (with their value where they have one); they are
// accepted here so that they keep working, and left out of the help.
void acceptQtOptions(QCommandLineParser &parser)
{
    const char *const withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                     "qwindowgeometry", "qwindowicon", "qwindowtitle", "geometry",
                                     "title", "icon", "display", "name", "session", "style",
                                     "stylesheet", "qmljsdebugger"};
    const char *const flags[] = {"reverse", "widgetcount", "testability", "nograb", "dograb", "sync"};
    for (const char *name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), u"value"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString versionText()
{
    return u"tunora "_s + QStringLiteral(TUNORA_VERSION) + u'\n';
}

} // namespace

CommandLineAnswer answerCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words ("-platform xcb"), not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(u"播放音乐文件夹中的歌曲并剪切铃声。"_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(u"文件"_s, u"要播放的歌曲；它所在的文件夹成为歌曲目录。"_s, u"[文件…]"_s);
    acceptQtOptions(parser);

    if (!parser.parse(arguments))
        return {kUsageError, {}, parser.errorText() + u"\n\n"_s + parser.helpText(), {}};
    // Qt adds --help-all once an application object exists; it answers like --help.
    if (parser.isSet(help) || parser.optionNames().contains(u"help-all"_s))
        return {0, parser.helpText(), {}, {}};
    if (parser.isSet(version))
        return {0, versionText(), {}, {}};
    CommandLineAnswer start;
    for (const QString &file : parser.positionalArguments())
        start.songFiles.append(absolutePath(FilePath(file)));
    return start;
}

CommandLineAnswer handleCommandLine(int argc, char **argv)
{
    // A plain start has nothing to parse.
    if (argc <= 1)
        return {};
    const QStringList arguments = programArguments(argc, argv);
    if (CommandLineAnswer start = answerCommandLine(arguments); !start.exitCode)
        return start;
    // The help names the program as it was called, which Qt reads from an application object;
    // a window-less one is enough, and the program ends right after.
    QCoreApplication app(argc, argv);
    const CommandLineAnswer answer = answerCommandLine(arguments);
    std::fputs(answer.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(answer.standardError.toLocal8Bit().constData(), stderr);
    return answer;
}

} // namespace tunora
