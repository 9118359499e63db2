#pragma once

#include "platform/engine/mediaplayer.h"

#include <QObject>

#include <random>

namespace tunora {

struct AppContext;

// Every way a song starts, pauses, stops or changes, and the two player events that keep
// the window in step with the player.
class PlaybackHandlers : public QObject {
    Q_OBJECT

public:
    explicit PlaybackHandlers(AppContext &context, QObject *parent = nullptr);

    // Plays the playlist item of the selected song-file entry; nothing when none is selected.
    void playEntry();
    // The selected song-list row: selects its song in the song-file list, shows its name and
    // marks, plays it and arms the end-mark timer. The caller makes sure a row is selected.
    void playSelectedRow();
    // songListView double-clicked: the selected row from its start mark.
    void songListDoubleClicked();
    void randomPick();
    void nextSong();
    void previousSong();
    void onPlayPauseChosen();
    void onStopChosen();

    // Player events.
    void openStateChanged(OpenState newState);
    void playStateChanged(PlayState state);

private:
    // Switches the program asks for. The random advance answers only the player's own
    // switches, so a player that reports Transitioning for these too gets no second pick.
    void switchToItem(int index);
    void switchToNext();
    void switchToPrevious();
    bool randomAdvanceWanted() const;

    AppContext &m_context;
    // Seeded once from the system's entropy source: reseeding from the clock at every
    // pick would repeat a pick made within the same tick.
    std::mt19937 m_random;
    // A switch the program asked for has not opened (or failed) yet.
    bool m_programSwitchPending = false;
};

} // namespace tunora
