#pragma once

#include "platform/engine/mediaplayer.h"

#include <QList>

#include <chrono>

namespace tunora::test {

// Passes every call on to another player, and notes at each stop() where the position
// stood and when, just before the stop (how far past an end mark playback ran), and
// every item the program asked to play.
class RecordingPlayer : public MediaPlayer {
public:
    struct Stop {
        double position;
        std::chrono::steady_clock::time_point time;
    };

    explicit RecordingPlayer(MediaPlayer &inner)
        : m_inner(inner)
    {
        connect(&m_inner, &MediaPlayer::openStateChanged, this, &MediaPlayer::openStateChanged);
        connect(&m_inner, &MediaPlayer::playStateChanged, this, &MediaPlayer::playStateChanged);
        connect(&m_inner, &MediaPlayer::seeked, this, &MediaPlayer::seeked);
        connect(&m_inner, &MediaPlayer::advancingByItself, this, &MediaPlayer::advancingByItself);
    }

    QList<Stop> stops;
    // The index of every playItem() call, in order.
    QList<int> playedItems;

    void setPlaylist(const QList<FilePath> &paths) override { m_inner.setPlaylist(paths); }
    int itemCount() const override { return m_inner.itemCount(); }
    FilePath item(int index) const override { return m_inner.item(index); }

    void playItem(int index) override
    {
        playedItems.append(index);
        m_inner.playItem(index);
    }
    void play() override { m_inner.play(); }
    void pause() override { m_inner.pause(); }
    void stop() override
    {
        stops.append({m_inner.currentPosition(), std::chrono::steady_clock::now()});
        m_inner.stop();
    }
    void next() override { m_inner.next(); }
    void previous() override { m_inner.previous(); }
    PlayState playState() const override { return m_inner.playState(); }

    double currentPosition() const override { return m_inner.currentPosition(); }
    void setCurrentPosition(double seconds) override { m_inner.setCurrentPosition(seconds); }

    double duration() const override { return m_inner.duration(); }
    FilePath currentSource() const override { return m_inner.currentSource(); }

    int volume() const override { return m_inner.volume(); }
    void setVolume(int percent) override { m_inner.setVolume(percent); }
    bool isMuted() const override { return m_inner.isMuted(); }
    void setMuted(bool muted) override { m_inner.setMuted(muted); }

private:
    MediaPlayer &m_inner;
};

} // namespace tunora::test
