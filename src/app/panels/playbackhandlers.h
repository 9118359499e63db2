#pragma once

#include "platform/engine/mediaplayer.h"

#include <QObject>

namespace tunora {

struct AppContext;

// The window's ways of starting, pausing, stopping and changing songs, all through the
// session, and the controls that show what plays: the song-file list's selection, the song
// name, and the icon of 播放&&暂停.
class PlaybackHandlers : public QObject {
    Q_OBJECT

public:
    explicit PlaybackHandlers(AppContext &context, QObject *parent = nullptr);

    // Plays the selected song-file entry; nothing when none is selected.
    void playEntry();
    // The selected song-list row: selects its song in the song-file list, shows its name and
    // marks, plays it and arms the end-mark timer. The caller makes sure a row is selected.
    void playSelectedRow();
    // The song list double-clicked: the selected row from its start mark.
    void songListDoubleClicked();

private:
    void showPlayState(PlayState state);
    void showPlayPauseChosen(bool playing);

    AppContext &m_context;
};

} // namespace tunora
