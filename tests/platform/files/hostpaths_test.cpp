#include "platform/files/hostpaths.h"

#include "platform/files/filenames.h"
#include "support/scopedenv.h"
#include "support/songfolder.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tunora;
using namespace tunora::test;
using namespace Qt::StringLiterals;

namespace {

// "歌曲" in GBK, as a folder unpacked from a Windows archive is named: not UTF-8.
const QByteArray kGbk("\xB8\xE8\xC7\xFA");

} // namespace

// The program's folder is where /proc/self/exe leads, by its bytes. Qt's answer for a
// folder named in GBK is empty, so nothing beside the program could be found there.
TEST(HostPaths, ProgramFolderKeepsTheBytesOfAFolderNamedInGbk)
{
    SongFolder root;
    root.addFolder(decodeFileName(kGbk));
    root.addFile(decodeFileName(kGbk) + u"/tunora"_s);
    const QByteArray top = encodeFileName(root.path());
    const QByteArray link = top + "exe";
    const QByteArray program = top + kGbk + "/tunora";
    ASSERT_EQ(::symlink(program.constData(), link.constData()), 0);

    EXPECT_EQ(programFolderFrom(link).bytes(), top + kGbk);
    EXPECT_TRUE(programFolderFrom(top + "no-link").isEmpty());
    EXPECT_TRUE(programFolderFrom(top + kGbk + "/tunora").isEmpty()) << "a file that is no link";

    // This test program's own folder, where a UTF-8 build folder gives Qt the same answer.
    EXPECT_EQ(programFolder().bytes(), QFile::encodeName(QCoreApplication::applicationDirPath()));
}

TEST(HostPaths, CurrentFolderKeepsItsBytes)
{
    SongFolder root;
    root.addFolder(decodeFileName(kGbk));
    const FilePath before = currentFolder();
    const QByteArray inside = encodeFileName(root.path()) + kGbk;
    ASSERT_EQ(::chdir(inside.constData()), 0);
    const FilePath seen = currentFolder();
    ASSERT_EQ(::chdir(before.bytes().constData()), 0);
    EXPECT_EQ(seen.bytes(), inside);
}

// The per-user configuration folder, by the XDG base directory rules, from the bytes of
// the environment.
TEST(HostPaths, UserConfigFolderFollowsTheEnvironmentByItsBytes)
{
    struct Case {
        const char *what;
        std::optional<QByteArray> home, configHome;
        QByteArray expected;
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME named in GBK", "/home/u", "/cfg/" + kGbk, "/cfg/" + kGbk},
        {"no XDG_CONFIG_HOME", "/home/" + kGbk, std::nullopt, "/home/" + kGbk + "/.config"},
        {"empty XDG_CONFIG_HOME", "/home/u", "", "/home/u/.config"},
        {"relative XDG_CONFIG_HOME is ignored", "/home/u", "cfg", "/home/u/.config"},
        {"no HOME either", std::nullopt, std::nullopt, "/.config"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnvironmentVariable home("HOME", c.home);
        ScopedEnvironmentVariable configHome("XDG_CONFIG_HOME", c.configHome);
        EXPECT_EQ(userConfigFolder().bytes(), c.expected);
        EXPECT_EQ(homeFolder().bytes(), c.home.value_or("/"));
    }
}

TEST(HostPaths, AbsolutePathTakesRelativeOnesFromTheCurrentFolderDotsByName)
{
    const FilePath here = currentFolder();
    ASSERT_TRUE(here.isAbsolute());
    struct Case { QString given; FilePath expected; };
    const Case cases[] = {
        {u"song.mp3"_s, here / u"song.mp3"_s},
        {u"./a/../song.mp3"_s, here / u"song.mp3"_s},
        {u"../song.mp3"_s, here.folder() / u"song.mp3"_s},
        {u"/music//x/./y.mp3"_s, FilePath(u"/music/x/y.mp3"_s)},
        {QString(), FilePath()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.given.toStdString());
        EXPECT_EQ(absolutePath(FilePath(c.given)), c.expected);
    }
}
