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
        EXPECT_EQ(MusicFormats::parse(c.format).extensions, c.extensions);
    }
}

namespace {

QStringList namesOf(const QList<FilePath> &songs)
{
    QStringList names;
    for (const FilePath &song : songs)
        names.append(song.fileName());
    return names;
}

QList<FilePath> scanned(const QString &folder, const QString &format)
{
    return scanFolder(FilePath(folder), MusicFormats::parse(format));
}

} // namespace

class Scan : public ::testing::Test {
protected:
    SongFolder folder;
    QList<FilePath> pathsOf(const QStringList &names) const
    {
        QList<FilePath> paths;
        for (const QString &name : names)
            paths.append(FilePath(folder.path() + name));
        return paths;
    }
};

TEST_F(Scan, EachFindGoesToTheTopSoTheLastExtensionComesFirst)
{
    folder.addFiles({QStringLiteral("b.mp3"), QStringLiteral("c.wma"), QStringLiteral("a.mp3"),
                     QStringLiteral("notes.txt")});
    const QList<FilePath> scan = scanned(folder.path(), QStringLiteral("mp3,wma"));
    const QStringList expected = {QStringLiteral("c.wma"), QStringLiteral("b.mp3"), QStringLiteral("a.mp3")};
    EXPECT_EQ(namesOf(scan), expected);
    EXPECT_EQ(scan, pathsOf(expected));
}

TEST_F(Scan, AnExtensionNamedTwiceListsItsFilesTwiceIndexForIndex)
{
    folder.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    const QList<FilePath> scan = scanned(folder.path(), QStringLiteral("mp3,mp3"));
    const QStringList expected = {QStringLiteral("b.mp3"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                  QStringLiteral("a.mp3")};
    EXPECT_EQ(namesOf(scan), expected);
    EXPECT_EQ(scan, pathsOf(expected));
}

TEST_F(Scan, EmptyFormatPiecesNeverListFilesEndingInADot)
{
    folder.addFiles({QStringLiteral("a.mp3"), QStringLiteral("dot."), QStringLiteral("plain")});
    for (const QString &format : {QString(), QStringLiteral("mp3,"), QStringLiteral(",,mp3,,")}) {
        SCOPED_TRACE(format.toStdString());
        const QList<FilePath> scan = scanned(folder.path(), format);
        EXPECT_EQ(namesOf(scan), format.isEmpty() ? QStringList() : QStringList({QStringLiteral("a.mp3")}));
    }
}

TEST_F(Scan, UpperCaseExtensionsAreFoundAndFoldersNamedLikeSongsAreNot)
{
    folder.addFiles({QStringLiteral("LOUD.MP3"), QStringLiteral("quiet.mp3")});
    folder.addFolder(QStringLiteral("album.mp3"));
    const QList<FilePath> scan = scanned(folder.path(), QStringLiteral("mp3"));
    EXPECT_EQ(namesOf(scan), QStringList({QStringLiteral("quiet.mp3"), QStringLiteral("LOUD.MP3")}));
}

TEST_F(Scan, AMissingFolderGivesEmptyLists)
{
    const QList<FilePath> scan = scanned(folder.path() + QStringLiteral("gone/"), QStringLiteral("mp3"));
    EXPECT_TRUE(scan.isEmpty());
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
            EXPECT_EQ(MusicFormats::parse(format).listsName(name), namesOf(scanned(folder.path(), format)).contains(name));
        }
    }
    EXPECT_TRUE(MusicFormats::parse(QStringLiteral("mp3,wma")).listsName(QStringLiteral("B.MP3")));
    EXPECT_FALSE(MusicFormats::parse(QStringLiteral("mp3")).listsName(QStringLiteral("c.mp3x")));
}
