#pragma once

#include "mediaplayer.h"
#include "positionclock.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

struct mpv_handle;

namespace tunora {

class MpvHandle;
struct LibMpv;

// The media player on libmpv, and the one owner of its handle. The playlist lives here and
// mpv holds one file at a time, so indexes stay stable and a playlist of any size is replaced
// in one assignment. Events are reported on the GUI thread and never from inside the call that
// caused them.
//
// The player exists before its engine: the program starts with it and attaches the handle
// once libmpv has been loaded behind the window. Until then it keeps what it is told (the
// playlist and index, the song asked for with its start position, the pause intent, volume
// and mute) and applies it when the handle arrives. Meanwhile a song asked to play counts as
// Playing, or Paused once paused, so that a play/pause toggle pressed during the wait pauses it.
//
// After the last item the player starts again at the first, so the playlist keeps looping.
// An item that cannot be played is reported (MediaFailed) and left as a finished one is: the
// player moves on by itself, or a handler of Transitioning picks another. Once every item of
// the playlist has ended without playing since a song last played, the player stops instead
// of trying them again. stop() keeps the current media (its path and duration); play() then
// starts it again from the beginning.
class MpvPlayer final : public MediaPlayer {
    Q_OBJECT

public:
    explicit MpvPlayer(QObject *parent = nullptr);
    // A player with its engine brought up at once, or nullptr with the reason in *error: for
    // tests and tools that need no window first. The numeric locale must be "C".
    static std::unique_ptr<MpvPlayer> create(QString *error = nullptr, QObject *parent = nullptr);
    ~MpvPlayer() override;

    // Takes the engine (the first one only) and brings it up to date with what the player
    // was told so far. Call on the player's thread.
    void attach(std::unique_ptr<MpvHandle> handle);
    bool hasEngine() const { return m_mpv != nullptr; }

    void setPlaylist(const QList<FilePath> &paths) override;
    int itemCount() const override { return int(m_playlist.size()); }
    FilePath item(int index) const override { return m_playlist.value(index); }

    void playItem(int index) override;
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    PlayState playState() const override { return m_state; }

    double currentPosition() const override { return m_clock.position(); }
    void setCurrentPosition(double seconds) override;

    double duration() const override { return m_currentPath.isEmpty() ? -1 : m_duration; }
    FilePath currentSource() const override { return m_currentPath; }

    int volume() const override { return m_volume; }
    void setVolume(int percent) override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;

private:
    enum class EndReason { Finished, Failed, Other };

    const LibMpv &mpv() const;
    mpv_handle *handle() const;

    // Engine events, decoded by drainEvents() before anything reacts to them.
    void queueDrain();
    void drainEvents();
    void onStartFile(std::int64_t entryId);
    void onFileLoaded();
    void onPlaybackRestart();
    void onEndFile(std::int64_t entryId, EndReason reason);
    void onTimePos(double seconds);
    void onDuration(double seconds);

    void startQueuedLoad();
    void load(double startAt);
    void loadFailed();
    void moveOnAfterEnd();
    void advanceByItself();
    void seek(double seconds);
    // The pause intent, given to the engine (if there is one yet) and the clock.
    void wantPause(bool paused);
    void setEngineFlag(const char *property, bool on);
    void setEngineVolume();
    void reportLater(PlayState state);
    void reportNow(PlayState state);
    void indexAfterPlaylistChange();

    std::unique_ptr<MpvHandle> m_mpv;
    std::atomic_bool m_drainQueued = false;

    QList<FilePath> m_playlist;
    // Item of the current media in m_playlist; -1 when it is not there (or there is none).
    int m_index = -1;
    FilePath m_currentPath;
    PlayState m_state = PlayState::Undefined;
    // Counts the program's switches, so an event handler that switched is not overruled.
    quint64 m_switches = 0;

    // A load waits for the event loop (and for the engine, until it is attached), so that a
    // position written right after playItem() goes with it as its start.
    bool m_loadQueued = false;
    double m_startAt = 0;
    // mpv's playlist entry of the file loaded last (-1: none), and of the last START_FILE.
    std::int64_t m_loadId = -1;
    std::int64_t m_startedId = -1;
    bool m_open = false;
    bool m_wantPause = false;
    std::optional<double> m_seekWhenOpen;
    double m_duration = -1;
    // Items that ended without playing (failed, or empty) since a song last played; once they
    // are the whole playlist the player stops instead of spinning through it.
    bool m_played = false;
    QSet<int> m_endedUnplayed;

    PositionClock m_clock;
    int m_volume = 100;
    bool m_muted = false;
};

} // namespace tunora
