#include "library/songlistedit.h"
#include "library/songlistmodel.h"

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

QList<QStringList> cellsOf(const SongListModel &songs)
{
    QList<QStringList> rows;
    for (int row = 0; row < songs.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < SongListModel::ColumnCount; ++column)
            cells << songs.cell(row, column);
        rows << cells;
    }
    return rows;
}

// Rows a, b and c, every cell different.
class SongListEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int row = 0; const QString &name : {u"a"_s, u"b"_s, u"c"_s}) {
            m_songs.insertSong(row, name);
            for (int column = 1; column < SongListModel::ColumnCount; ++column)
                m_songs.setCell(row, column, name + QString::number(column));
            ++row;
        }
    }

    SongListModel m_songs;
};

} // namespace

TEST_F(SongListEditTest, ARowWithoutNeighbourThatWayChangesNothing)
{
    const QList<QStringList> before = cellsOf(m_songs);
    struct Case {
        int row;
        RowMove move;
    };
    for (const Case &c : {Case{0, RowMove::Up}, Case{2, RowMove::Down}, Case{-1, RowMove::Up},
                          Case{-1, RowMove::Down}, Case{3, RowMove::Up}, Case{-2, RowMove::Down}}) {
        SCOPED_TRACE(c.row);
        EXPECT_FALSE(exchangeWithNeighbour(m_songs, c.row, c.move));
        EXPECT_EQ(cellsOf(m_songs), before);
    }
}

TEST_F(SongListEditTest, EveryCellButTheCutLengthChangesPlaces)
{
    ASSERT_TRUE(exchangeWithNeighbour(m_songs, 1, RowMove::Down));
    EXPECT_EQ(cellsOf(m_songs), (QList<QStringList>{
                                    {u"a"_s, u"a1"_s, u"a2"_s, u"a3"_s, u"a4"_s},
                                    {u"c"_s, u"c1"_s, u"c2"_s, u"b3"_s, u"c4"_s},
                                    {u"b"_s, u"b1"_s, u"b2"_s, u"c3"_s, u"b4"_s},
                                }));
    ASSERT_TRUE(exchangeWithNeighbour(m_songs, 1, RowMove::Up));
    EXPECT_EQ(cellsOf(m_songs), (QList<QStringList>{
                                    {u"c"_s, u"c1"_s, u"c2"_s, u"a3"_s, u"c4"_s},
                                    {u"a"_s, u"a1"_s, u"a2"_s, u"b3"_s, u"a4"_s},
                                    {u"b"_s, u"b1"_s, u"b2"_s, u"c3"_s, u"b4"_s},
                                }));
}
