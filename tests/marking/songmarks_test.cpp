#include "marking/songmarks.h"
#include "support/filepaths.h"

#include "library/songlistmodel.h"
#include "support/fakeplayer.h"

#include <gtest/gtest.h>

using namespace tunora;
using tunora::test::FakePlayer;

namespace {

// Rows given top to bottom as {name, start, end, cut length, song length}.
void fill(SongListModel &songs, const QList<QStringList> &rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        songs.insertSong(r, rows[r][0]);
        for (int c = 1; c < SongListModel::ColumnCount; ++c)
            songs.setCell(r, c, rows[r][c]);
    }
}

QStringList rowOf(const SongListModel &songs, int row)
{
    QStringList cells;
    for (int c = 0; c < SongListModel::ColumnCount; ++c)
        cells << songs.cell(row, c);
    return cells;
}

QStringList cells(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *t : texts)
        list << QString::fromUtf8(t);
    return list;
}

} // namespace

TEST(CutLengthRefresh, WritesEndMinusStartOnlyWhereBothMarksExist)
{
    SongListModel songs;
    fill(songs, {
        cells({"a.mp3", "3.21", "12.35", "", "200"}),
        cells({"b.mp3", "30", "20", "", ""}),           // negative length, written as it is
        cells({"c.mp3", "5", "", "old", ""}),           // one mark: cell kept
        cells({"d.mp3", "", "7", "", ""}),
        cells({"e.mp3", "1.1", "1.1", "9", ""}),        // zero length, never "-0"
        cells({"f.mp3", "x", "2.5", "", ""}),           // non-numeric reads as 0
    });
    refreshCutLengths(songs);
    EXPECT_EQ(songs.cell(0, SongListModel::CutLength), QStringLiteral("9.14"));
    EXPECT_EQ(songs.cell(1, SongListModel::CutLength), QStringLiteral("-10"));
    EXPECT_EQ(songs.cell(2, SongListModel::CutLength), QStringLiteral("old"));
    EXPECT_EQ(songs.cell(3, SongListModel::CutLength), QString());
    EXPECT_EQ(songs.cell(4, SongListModel::CutLength), QStringLiteral("0"));
    EXPECT_EQ(songs.cell(5, SongListModel::CutLength), QStringLiteral("2.5"));
}

TEST(TopRowLengthFill, FillsOnlyAnEmptyLengthOfTheCurrentSongsTopRow)
{
    FakePlayer player;
    player.setPlaylist(test::filePaths({QStringLiteral("/music/a.mp3")}));
    player.playItem(0);
    player.setDuration(245.512);

    struct Case {
        const char *name;
        QList<QStringList> rows;
        QString currentSong;
        QStringList topRowAfter;
    };
    const Case cases[] = {
        {"empty length of the current song's row is filled unrounded",
         {cells({"a.mp3", "1", "3", "", ""})}, QStringLiteral("a.mp3"),
         cells({"a.mp3", "1", "3", "2", "245.512"})},
        {"a length already there stays",
         {cells({"a.mp3", "1", "", "", "100"})}, QStringLiteral("a.mp3"),
         cells({"a.mp3", "1", "", "", "100"})},
        // The player's duration belongs to the playing song, not to another song's row.
        {"another song's top row is not given this song's length",
         {cells({"b.mp3", "1", "3", "", ""}), cells({"a.mp3", "", "", "", ""})}, QStringLiteral("a.mp3"),
         cells({"b.mp3", "1", "3", "2", ""})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SongListModel songs;
        fill(songs, c.rows);
        fillTopRowLength(songs, c.currentSong, player);
        EXPECT_EQ(rowOf(songs, 0), c.topRowAfter);
        for (int r = 1; r < c.rows.size(); ++r)
            EXPECT_EQ(songs.cell(r, SongListModel::SongLength), c.rows[r][SongListModel::SongLength]);
    }
}

TEST(TopRowLengthFill, LeavesALowerRowEmptyAndStillRefreshes)
{
    FakePlayer player;
    player.setPlaylist(test::filePaths({QStringLiteral("/music/a.mp3")}));
    player.playItem(0);
    player.setDuration(180);
    SongListModel songs;
    fill(songs, {cells({"b.mp3", "", "", "", "90"}), cells({"a.mp3", "30", "20", "", ""})});

    fillTopRowLength(songs, QStringLiteral("a.mp3"), player);
    EXPECT_EQ(songs.cell(0, SongListModel::SongLength), QStringLiteral("90"));
    EXPECT_EQ(songs.cell(1, SongListModel::SongLength), QString());
    EXPECT_EQ(songs.cell(1, SongListModel::CutLength), QStringLiteral("-10"));
}

TEST(TopRowLengthFill, AnEmptyDurationLeavesTheCellForALaterTry)
{
    FakePlayer player;
    player.setPlaylist(test::filePaths({QStringLiteral("/music/a.mp3")}));
    player.playItem(0);
    SongListModel songs;
    fill(songs, {cells({"a.mp3", "", "5", "", ""})});

    fillTopRowLength(songs, QStringLiteral("a.mp3"), player);
    EXPECT_EQ(songs.cell(0, SongListModel::SongLength), QString());
    player.setDuration(61.3);
    fillTopRowLength(songs, QStringLiteral("a.mp3"), player);
    EXPECT_EQ(songs.cell(0, SongListModel::SongLength), QStringLiteral("61.300"));
}
