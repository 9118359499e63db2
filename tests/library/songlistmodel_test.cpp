#include "library/songlistmodel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tunora;

TEST(SongListModel, NewRowsGoWhereAskedWithEmptyMarks)
{
    SongListModel model;
    model.insertSong(0, QStringLiteral("a.mp3"));
    model.insertSong(0, QStringLiteral("b.mp3"));
    model.insertSong(99, QStringLiteral("c.mp3")); // past the end: appended
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.cell(0, SongListModel::Name), QStringLiteral("b.mp3"));
    EXPECT_EQ(model.cell(1, SongListModel::Name), QStringLiteral("a.mp3"));
    EXPECT_EQ(model.cell(2, SongListModel::Name), QStringLiteral("c.mp3"));
    for (int column = SongListModel::Start; column < SongListModel::ColumnCount; ++column)
        EXPECT_TRUE(model.cell(0, column).isEmpty());
}

TEST(SongListModel, RowOfSongMatchesTheWholeNameWithCase)
{
    SongListModel model;
    model.insertSong(0, QStringLiteral("Love.mp3"));
    model.insertSong(0, QStringLiteral("love.mp3"));
    EXPECT_EQ(model.rowOfSong(QStringLiteral("Love.mp3")), 1);
    EXPECT_EQ(model.rowOfSong(QStringLiteral("love.mp3")), 0);
    EXPECT_EQ(model.rowOfSong(QStringLiteral("LOVE.mp3")), -1);
    EXPECT_EQ(model.rowOfSong(QStringLiteral("love")), -1);
    EXPECT_EQ(model.rowOfSong(QString()), -1);
}

TEST(SongListModel, CellsOutOfRangeReadEmptyAndIgnoreWrites)
{
    SongListModel model;
    model.insertSong(0, QStringLiteral("a.mp3"));
    QSignalSpy changed(&model, &SongListModel::dataChanged);
    model.setCell(0, SongListModel::Start, QStringLiteral("12.5"));
    model.setCell(0, SongListModel::Start, QStringLiteral("12.5")); // unchanged: no signal
    model.setCell(1, SongListModel::Start, QStringLiteral("1"));
    model.setCell(0, SongListModel::ColumnCount, QStringLiteral("1"));
    model.setCell(-1, SongListModel::Start, QStringLiteral("1"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.cell(0, SongListModel::Start), QStringLiteral("12.5"));
    EXPECT_EQ(model.data(model.index(0, SongListModel::Start), Qt::DisplayRole).toString(), QStringLiteral("12.5"));
    EXPECT_TRUE(model.cell(1, SongListModel::Name).isEmpty());
    EXPECT_TRUE(model.cell(0, -1).isEmpty());
}

TEST(SongListModel, RemoveAndClear)
{
    SongListModel model;
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
        model.insertSong(0, QString::fromLatin1(name));
    model.removeSong(1);
    model.removeSong(7);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.cell(0, SongListModel::Name), QStringLiteral("c.mp3"));
    EXPECT_EQ(model.cell(1, SongListModel::Name), QStringLiteral("a.mp3"));
    model.clearSongs();
    EXPECT_EQ(model.rowCount(), 0);
}
