#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QTimer;

namespace tunora {

class MediaPlayer;
class SongListModel;

// Stops playback once the current song reaches the end mark of its song-list row.
// Play selected row arms it; only a check that finds the end reached disarms it, so it
// stays armed across song changes and stops whichever current song has a row.
//
// The engine refreshes its position only every few tens of milliseconds, so rather than
// polling fast, each check plans the next one for the moment the position will reach the
// end mark, with a coarse poll in between for changes that raise no event. Song changes,
// play-state changes, seeks and mark edits all raise events, and each one replans at once.
class EndMarkTimer : public QObject {
    Q_OBJECT

public:
    using SongNameSource = std::function<QString()>;
    // Between planned checks, how soon a change without event is seen. Every wake-up costs
    // about as much as a whole check, so they are kept few.
    static constexpr std::chrono::milliseconds kPollInterval{100};
    // While the current song has no row only a new row or a song change can matter, and
    // both raise events: a slow safety poll.
    static constexpr std::chrono::milliseconds kIdlePollInterval{1000};

    // `ticker` is the window's timer control; it runs exactly while the timer is armed.
    EndMarkTimer(MediaPlayer &player, const SongListModel &songs, SongNameSource currentSong,
                 QTimer &ticker, QObject *parent = nullptr);

    void arm();
    void disarm();
    bool isArmed() const { return m_armed; }

    // One end-mark check: stops the player and disarms once the current song's position
    // has reached its row's end mark, and otherwise plans the next check.
    void check();

private:
    // Something the plan depends on changed: check again once the current event is done,
    // so that handlers that react to the same event (the song-name label) have run.
    void checkSoon();

    MediaPlayer &m_player;
    const SongListModel &m_songs;
    SongNameSource m_currentSong;
    QTimer &m_ticker;
    bool m_armed = false;
};

} // namespace tunora
