#pragma once

#include "platform/engine/mediaplayer.h"

#include <QString>
#include <QStringList>

namespace tunora::test {

// A media player without an engine for window tests. It keeps the playlist, records the
// transport and position calls in log() ("playItem 1", "setCurrentPosition 12.5", "stop",
// ...), and by default answers a switch at once, inside the call, with MediaOpen and then
// Playing, and a position written with seeked(). With synchronousEvents off the states still
// change but nothing is emitted, and the test fires the events itself.
class FakePlayer : public MediaPlayer {
    Q_OBJECT

public:
    using MediaPlayer::MediaPlayer;

    bool synchronousEvents = true;

    QStringList log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    QList<FilePath> playlist() const { return m_playlist; }
    int currentIndex() const { return m_current; }

    // What the engine would report.
    void setPosition(double seconds) { m_position = seconds; }
    void setDuration(double seconds) { m_duration = seconds; }
    void setPlayState(PlayState state) { m_state = state; }

    // Events as the engine would raise them.
    void emitMediaOpen();
    void emitPlayState(PlayState state);
    // The current song ends by itself: the next item (after the last, the first) becomes
    // current, and Transitioning and advancingByItself follow, then MediaOpen and Playing
    // unless a handler played another item meanwhile.
    void finishCurrentByItself();

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

    double currentPosition() const override { return m_position; }
    void setCurrentPosition(double seconds) override;

    double duration() const override { return m_current < 0 ? -1 : m_duration; }
    FilePath currentSource() const override { return m_playlist.value(m_current); }

    int volume() const override { return m_volume; }
    void setVolume(int percent) override { m_volume = percent; }
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override { m_muted = muted; }

private:
    void open(int index);
    void changeState(PlayState state);

    QList<FilePath> m_playlist;
    quint64 m_switches = 0;
    QStringList m_log;
    int m_current = -1;
    PlayState m_state = PlayState::Undefined;
    double m_position = 0;
    double m_duration = -1;
    int m_volume = 100;
    bool m_muted = false;
};

} // namespace tunora::test
