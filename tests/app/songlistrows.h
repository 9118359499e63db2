#pragma once

#include "library/songlistmodel.h"

#include <QStringList>

// Song list rows for window tests, as their five cells.
namespace tunora::test {

// A row added below the others: name, start, end, cut length, song length.
inline void appendRow(SongListModel &songs, const QStringList &cells)
{
    const int row = songs.rowCount();
    songs.insertSong(row, cells.value(SongListModel::Name));
    for (int column = SongListModel::Start; column < SongListModel::ColumnCount; ++column)
        songs.setCell(row, column, cells.value(column));
}

inline QStringList rowCells(const SongListModel &songs, int row)
{
    QStringList cells;
    for (int column = 0; column < SongListModel::ColumnCount; ++column)
        cells << songs.cell(row, column);
    return cells;
}

inline QList<QStringList> allRowCells(const SongListModel &songs)
{
    QList<QStringList> rows;
    for (int row = 0; row < songs.rowCount(); ++row)
        rows << rowCells(songs, row);
    return rows;
}

} // namespace tunora::test
