#pragma once

#include "app/controls/seekstrip.h"

#include <QWidget>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace tunora {

class MediaPlayer;
class PlaybackSession;
enum class PlayState;

// The player's own face: transport buttons, a seek bar (the song's loudness strip) with
// elapsed and total time, volume and mute. Its buttons are the session's commands, as the menus' and keys' are.
class PlayerControl : public QWidget {
    Q_OBJECT

public:
    PlayerControl(PlaybackSession &session, QWidget *parent = nullptr);

    QToolButton *playPauseButton() const { return m_playPause; }
    QToolButton *stopButton() const { return m_stop; }
    SeekStrip *seekSlider() const { return m_seek; }
    QSlider *volumeSlider() const { return m_volume; }
    QToolButton *previousButton() const { return m_previous; }
    QToolButton *nextButton() const { return m_next; }

    // The keys that play and pause, named in ⏯'s tooltip whichever way it points.
    void setPlayPauseKeys(const QString &keys);
    void playPauseClicked();
    void stopClicked();
    // A click on the seek bar at `seconds`: playback goes on from there.
    void seekBarClicked(double seconds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void nameForScreenReaders();
    void refresh();
    void onPlayStateChanged(PlayState state);
    void showPlayPauseTip(bool playing);

    PlaybackSession &m_session;
    MediaPlayer &m_player;
    QToolButton *m_playPause;
    QToolButton *m_stop;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_mute;
    SeekStrip *m_seek;
    QSlider *m_volume;
    QLabel *m_elapsed;
    QLabel *m_total;
    QTimer *m_refreshTimer;
    QString m_playPauseKeys;
    bool m_seeking = false;
};

} // namespace tunora
