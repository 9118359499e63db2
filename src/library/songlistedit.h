#pragma once

namespace tunora {

class SongListModel;

enum class RowMove { Up, Down };

// Exchanges a row of the song list with its neighbour above (Up) or below (Down): the
// name, both marks and the song length change places; 剪切长度 stays where it stands, for
// the cut-length refresh that follows to recompute. False, with nothing changed, when
// `row` is -1 or has no neighbour that way.
bool exchangeWithNeighbour(SongListModel &songs, int row, RowMove move);

} // namespace tunora
