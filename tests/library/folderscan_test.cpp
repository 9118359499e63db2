#include "library/folderscan.h"

#include "support/songfolder.h"

#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::test;

TEST(FormatSetting, EmptyPiecesAreSkippedAndTheRestKeptAsWritten)
{
    struct Case { QString format; QStringList extensions; };
    const Case cases[] = {
        {QString(), {}},
        {QStringLiteral(","), {}},
        {QStringLiteral("mp3"), {QStringLiteral("mp3")}},
        {QStringLiteral("mp3,"), {QStringLiteral("mp3")}},
        {QStringLiteral(",mp3,,wma,"), {QStringLiteral("mp3"), QStringLiteral("wma")}},
        {QStringLiteral("mp3,mp3"), {QStringLiteral("mp3"), QStringLiteral("mp3")}},
        {QStringLiteral("wma,MP3"), {QStringLiteral("wma"), QStringLiteral("MP3")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format.toStdString());
        EXPECT_EQ(extensionsOfFormat(c.format), c.extensions);
    }
}

class Scan : public ::testing::Test {
protected:
    SongFolder folder;
    QStringList pathsOf(const QStringList &names) const
    {
        QStringList paths;
        for (const QString &name : names)
            paths.append(folder.path() + name);
        return paths;
    }
};

TEST_F(Scan, EachFindGoesToTheTopSoTheLastExtensionComesFirst)
{
    folder.addFiles({QStringLiteral("b.mp3"), QStringLiteral("c.wma"), QStringLiteral("a.mp3"),
                     QStringLiteral("notes.txt")});
    const FolderScan scan = scanFolder(folder.path(), QStringLiteral("mp3,wma"));
    const QStringList expected = {QStringLiteral("c.wma"), QStringLiteral("b.mp3"), QStringLiteral("a.mp3")};
    EXPECT_EQ(scan.entries, expected);
    EXPECT_EQ(scan.paths, pathsOf(expected));
}

TEST_F(Scan, AnExtensionNamedTwiceListsItsFilesTwiceIndexForIndex)
{
    folder.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    const FolderScan scan = scanFolder(folder.path(), QStringLiteral("mp3,mp3"));
    const QStringList expected = {QStringLiteral("b.mp3"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                  QStringLiteral("a.mp3")};
    EXPECT_EQ(scan.entries, expected);
    EXPECT_EQ(scan.paths, pathsOf(expected));
}

TEST_F(Scan, EmptyFormatPiecesNeverListFilesEndingInADot)
{
    folder.addFiles({QStringLiteral("a.mp3"), QStringLiteral("dot."), QStringLiteral("plain")});
    for (const QString &format : {QString(), QStringLiteral("mp3,"), QStringLiteral(",,mp3,,")}) {
        SCOPED_TRACE(format.toStdString());
        const FolderScan scan = scanFolder(folder.path(), format);
        EXPECT_EQ(scan.entries, format.isEmpty() ? QStringList() : QStringList({QStringLiteral("a.mp3")}));
    }
}

TEST_F(Scan, UpperCaseExtensionsAreFoundAndFoldersNamedLikeSongsAreNot)
{
    folder.addFiles({QStringLiteral("LOUD.MP3"), QStringLiteral("quiet.mp3")});
    folder.addFolder(QStringLiteral("album.mp3"));
    const FolderScan scan = scanFolder(folder.path(), QStringLiteral("mp3"));
    EXPECT_EQ(scan.entries, QStringList({QStringLiteral("quiet.mp3"), QStringLiteral("LOUD.MP3")}));
}

TEST_F(Scan, AMissingFolderGivesEmptyLists)
{
    const FolderScan scan = scanFolder(folder.path() + QStringLiteral("gone/"), QStringLiteral("mp3"));
    EXPECT_TRUE(scan.entries.isEmpty());
    EXPECT_TRUE(scan.paths.isEmpty());
}

// A song opened from outside is checked by the same rule the scan lists by: every name and
// format agree with what a scan of a folder holding that name lists.
TEST(FormatSetting, ListsANameExactlyWhenTheScanWould)
{
    const QStringList names = {QStringLiteral("a.mp3"), QStringLiteral("B.MP3"), QStringLiteral("c.mp3x"),
                               QStringLiteral("mp3"), QStringLiteral("d.wma"), QStringLiteral("e."),
                               QStringLiteral("f.tar.gz"), QStringLiteral("g.gz")};
    const QString formats[] = {QStringLiteral("mp3"), QStringLiteral("mp3,wma"), QStringLiteral("WMA,,"),
                               QString(), QStringLiteral("tar.gz"), QStringLiteral(",")};
    for (const QString &format : formats) {
        for (const QString &name : names) {
            SCOPED_TRACE(QString(format + QStringLiteral(" / ") + name).toStdString());
            SongFolder folder;
            folder.addFile(name);
            EXPECT_EQ(formatListsName(format, name), scanFolder(folder.path(), format).entries.contains(name));
        }
    }
    EXPECT_TRUE(formatListsName(QStringLiteral("mp3,wma"), QStringLiteral("B.MP3")));
    EXPECT_FALSE(formatListsName(QStringLiteral("mp3"), QStringLiteral("c.mp3x")));
}
