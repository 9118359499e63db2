#pragma once

#include <QString>

namespace tunora {

class MediaPlayer;
class SongListModel;

// The routines every change of a mark ends with.

// Column 剪切长度 of every row that has both marks: end minus start, as mark text. A
// negative length is written as it is; a row with one mark keeps its cell.
void refreshCutLengths(SongListModel &songs);

// Completes an empty 歌曲长度 cell of the top row, where a newly marked song's row goes,
// with the player's "Duration" text as given, then refreshes the cut lengths. Only a top
// row that belongs to the current song is filled: the player's duration is that song's,
// and the cut engine derives the byte rate of a row from its length.
void fillTopRowLength(SongListModel &songs, const QString &currentSong, const MediaPlayer &player);

} // namespace tunora
