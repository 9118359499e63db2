#pragma once

#include "platform/engine/mediaplayer.h"

#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

namespace tunora {

class PlaybackSession;

// What the desktop's media controls see of the player, read afresh from the session for
// every question; it keeps no copy but the last values announced, to tell what changed.
class MprisState : public QObject {
    Q_OBJECT

public:
    explicit MprisState(PlaybackSession &session, QObject *parent = nullptr);

    QString playbackStatus() const;
    // 循环 is looping through the list; random play is not.
    QString loopStatus() const;
    bool shuffle() const;
    QVariantMap metadata() const;
    QDBusObjectPath trackId() const;
    // The session's volume, 0 to 1.
    double volume() const;
    qint64 positionMicroseconds() const;
    // 0 when unknown.
    qint64 lengthMicroseconds() const;

    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;
    bool canGoNext() const;
    bool canGoPrevious() const;

    // The properties the desktop is told of when they change, by their bus names.
    QVariantMap announcedProperties() const;

Q_SIGNALS:
    // The announced properties that changed, with their new values; once the handlers that
    // caused the change have all run.
    void propertiesChanged(const QVariantMap &changed);
    // The position was set, rather than played on to.
    void seeked(qint64 positionMicroseconds);

private:
    void scheduleAnnouncement();
    void announce();
    void onPlayStateChanged(PlayState state);

    PlaybackSession &m_session;
    MediaPlayer &m_player;
    // Counts the songs opened, so every song opened has a track id of its own.
    quint64 m_openedSongs = 0;
    // Transitioning between songs is neither playing nor stopped: the status before it holds.
    QString m_status;
    QVariantMap m_announced;
    bool m_announcementDue = false;
};

} // namespace tunora
