#include "platform/files/filesearch.h"

#include "platform/files/filenames.h"
#include "support/songfolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tunora;
using namespace tunora::test;

TEST(FileSearch, FindsTheExtensionInAnyCaseAndNothingElse)
{
    SongFolder folder;
    folder.addFiles({QStringLiteral("a.mp3"), QStringLiteral("B.MP3"), QStringLiteral("c.Mp3"),
                     QStringLiteral("d.wma"), QStringLiteral("e.mp3x"), QStringLiteral("fmp3"),
                     QStringLiteral("g.mp3.txt"), QStringLiteral("mp3"), QStringLiteral(".mp3")});
    EXPECT_EQ(findFilesWithExtension(FilePath(folder.path()), QStringLiteral("mp3")),
              QStringList({QStringLiteral(".mp3"), QStringLiteral("a.mp3"), QStringLiteral("B.MP3"),
                           QStringLiteral("c.Mp3")}));
    EXPECT_EQ(findFilesWithExtension(FilePath(folder.path()), QStringLiteral("WMA")), QStringList({QStringLiteral("d.wma")}));
}

TEST(FileSearch, ListsRegularFilesOnlyFollowingLinks)
{
    SongFolder folder;
    folder.addFile(QStringLiteral("song.mp3"));
    folder.addFolder(QStringLiteral("album.mp3"));
    const QByteArray base = encodeFileName(folder.path());
    ASSERT_EQ(::symlink("song.mp3", QByteArray(base + "link.mp3").constData()), 0);
    ASSERT_EQ(::symlink("album.mp3", QByteArray(base + "folderlink.mp3").constData()), 0);
    ASSERT_EQ(::symlink("missing.mp3", QByteArray(base + "dangling.mp3").constData()), 0);
    EXPECT_EQ(findFilesWithExtension(FilePath(folder.path()), QStringLiteral("mp3")),
              QStringList({QStringLiteral("link.mp3"), QStringLiteral("song.mp3")}));
}

TEST(FileSearch, OrdersAsAWindowsFolderListsIgnoringCase)
{
    SongFolder folder;
    // Written in an order that neither creation order nor byte order would give back.
    folder.addFiles({QStringLiteral("b.mp3"), QStringLiteral("A_B.mp3"), QStringLiteral("ab.mp3"),
                     QStringLiteral("C.mp3"), QStringLiteral("a.mp3"), QStringLiteral("[x].mp3"),
                     QStringLiteral("10.mp3"), QStringLiteral("9.mp3"), QStringLiteral(u"歌.mp3")});
    // Upper-case folding puts "_" (after "Z") behind the letters and "[" too; digits sort
    // as text.
    EXPECT_EQ(findFilesWithExtension(FilePath(folder.path()), QStringLiteral("mp3")),
              QStringList({QStringLiteral("10.mp3"), QStringLiteral("9.mp3"), QStringLiteral("a.mp3"),
                           QStringLiteral("ab.mp3"), QStringLiteral("A_B.mp3"), QStringLiteral("b.mp3"),
                           QStringLiteral("C.mp3"), QStringLiteral("[x].mp3"), QStringLiteral(u"歌.mp3")}));
}

TEST(FileSearch, NamesThatAreNotUtf8ComeBackToTheSameBytes)
{
    SongFolder folder;
    const QString gbkName = decodeFileName(QByteArray("\xb8\xe8\xc7\xfa.mp3")); // GBK 歌曲
    folder.addFile(gbkName);
    const QStringList found = findFilesWithExtension(FilePath(folder.path()), QStringLiteral("mp3"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(encodeFileName(found.first()), QByteArray("\xb8\xe8\xc7\xfa.mp3"));
}

TEST(FileSearch, NothingForAMissingFolderOrAnEmptyExtension)
{
    SongFolder folder;
    folder.addFiles({QStringLiteral("song.mp3"), QStringLiteral("noext."), QStringLiteral("plain")});
    EXPECT_TRUE(findFilesWithExtension(FilePath(folder.path() + QStringLiteral("missing/")), QStringLiteral("mp3")).isEmpty());
    EXPECT_TRUE(findFilesWithExtension(FilePath(folder.path()), QString()).isEmpty());
    // A file is not a folder to search in.
    EXPECT_TRUE(findFilesWithExtension(FilePath(folder.path() + QStringLiteral("song.mp3/")), QStringLiteral("mp3")).isEmpty());
}
