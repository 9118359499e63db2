#pragma once

#include "mediaplayer.h"
#include "positionclock.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

struct mpv_handle;

namespace tunora {

// The media player on libmpv. The playlist lives here and mpv holds one file at a time, so
// indexes stay stable and a playlist of any size is replaced in one assignment. Events are
// reported on the GUI thread and never from inside the call that caused them.
//
// After the last item the player starts again at the first, so the playlist keeps looping.
// stop() keeps the current media (its path and duration); play() then starts it again from
// the beginning.
class MpvPlayer final : public MediaPlayer {
    Q_OBJECT

public:
    // The engine, or nullptr with the reason in *error. The numeric locale must be "C".
    static std::unique_ptr<MpvPlayer> create(QString *error = nullptr, QObject *parent = nullptr);
    ~MpvPlayer() override;

    void clearPlaylist() override;
    void insertItem(int index, const QString &path) override;
    void setPlaylist(const QStringList &paths) override;
    int itemCount() const override { return int(m_playlist.size()); }
    QString item(int index) const override { return m_playlist.value(index); }

    void playItem(int index) override;
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    PlayState playState() const override { return m_state; }

    double currentPosition() const override { return m_clock.position(); }
    void setCurrentPosition(double seconds) override;

    QString currentDuration() const override;
    QString currentSourceUrl() const override { return m_currentPath; }

    int volume() const override { return m_volume; }
    void setVolume(int percent) override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;

private:
    struct HandleCloser {
        void operator()(mpv_handle *handle) const;
    };
    using Handle = std::unique_ptr<mpv_handle, HandleCloser>;

    enum class EndReason { Finished, Failed, Other };

    MpvPlayer(Handle handle, QObject *parent);

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
    void advanceByItself();
    void seek(double seconds);
    void setPaused(bool paused);
    void reportLater(PlayState state);
    void reportNow(PlayState state);
    void indexAfterPlaylistChange();

    Handle m_mpv;
    std::atomic_bool m_drainQueued = false;

    QStringList m_playlist;
    // Item of the current media in m_playlist; -1 when it is not there (or there is none).
    int m_index = -1;
    QString m_currentPath;
    PlayState m_state = PlayState::Undefined;
    // Counts the program's switches, so an event handler that switched is not overruled.
    quint64 m_switches = 0;

    // A load waits for the event loop, so that a position written right after playItem()
    // goes with it as its start.
    bool m_loadQueued = false;
    double m_startAt = 0;
    // mpv's playlist entry of the file loaded last (-1: none), and of the last START_FILE.
    std::int64_t m_loadId = -1;
    std::int64_t m_startedId = -1;
    bool m_open = false;
    bool m_wantPause = false;
    std::optional<double> m_seekWhenOpen;
    double m_duration = -1;
    // Items that ended without playing, in a row; a whole round of them stops the player
    // instead of spinning through the playlist.
    bool m_played = false;
    int m_silentEnds = 0;

    PositionClock m_clock;
    int m_volume = 100;
    bool m_muted = false;
};

} // namespace tunora
