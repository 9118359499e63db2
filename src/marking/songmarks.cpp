#include "songmarks.h"

#include "library/songlistmodel.h"
#include "platform/engine/mediaplayer.h"
#include "platform/numbers/numbers.h"

namespace tunora {

void refreshCutLengths(SongListModel &songs)
{
    for (int row = 0; row < songs.rowCount(); ++row) {
        const QString start = songs.cell(row, SongListModel::Start);
        const QString end = songs.cell(row, SongListModel::End);
        if (start.isEmpty() || end.isEmpty())
            continue;
        const double length = double(numberFromText(end)) - double(numberFromText(start));
        songs.setCell(row, SongListModel::CutLength, markText(length));
    }
}

void fillTopRowLength(SongListModel &songs, const QString &currentSong, const MediaPlayer &player)
{
    if (songs.rowCount() > 0 && songs.cell(0, SongListModel::SongLength).isEmpty()
        && !currentSong.isEmpty() && songs.cell(0, SongListModel::Name) == currentSong) {
        songs.setCell(0, SongListModel::SongLength, durationText(player.duration()));
    }
    refreshCutLengths(songs);
}

} // namespace tunora
