#include "songlistedit.h"

#include "songlistmodel.h"

#include <array>

namespace tunora {

namespace {

// The cells that travel with a song; 剪切长度 is recomputed after the move instead.
constexpr std::array kTravellingColumns{SongListModel::Name, SongListModel::Start, SongListModel::End,
                                        SongListModel::SongLength};

using TravellingCells = std::array<QString, kTravellingColumns.size()>;

TravellingCells takeCells(const SongListModel &songs, int row)
{
    TravellingCells cells;
    for (size_t i = 0; i < kTravellingColumns.size(); ++i)
        cells[i] = songs.cell(row, kTravellingColumns[i]);
    return cells;
}

void putCells(SongListModel &songs, int row, const TravellingCells &cells)
{
    for (size_t i = 0; i < kTravellingColumns.size(); ++i)
        songs.setCell(row, kTravellingColumns[i], cells[i]);
}

} // namespace

bool exchangeWithNeighbour(SongListModel &songs, int row, RowMove move)
{
    const int neighbour = move == RowMove::Up ? row - 1 : row + 1;
    if (row < 0 || row >= songs.rowCount() || neighbour < 0 || neighbour >= songs.rowCount())
        return false;
    const TravellingCells selected = takeCells(songs, row);
    const TravellingCells other = takeCells(songs, neighbour);
    putCells(songs, neighbour, selected);
    putCells(songs, row, other);
    return true;
}

} // namespace tunora
