#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace tunora {

class PlaybackSession;
class MprisState;

// The bus's player controls (org.mpris.MediaPlayer2.Player). Every command is the session's,
// the same the window's buttons, menus and keys call; nothing here plays on its own terms.
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ rate CONSTANT)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl CONSTANT)

public:
    // A service that is a QDBusContext learns of the calls it answers: OpenUri answers a song
    // it cannot open with an error then.
    MprisPlayer(PlaybackSession &session, MprisState &state, QObject *service);

    QString playbackStatus() const;
    QString loopStatus() const;
    // "Playlist" chooses 循环; "None" leaves it the one way the menu leaves it, by 随机.
    void setLoopStatus(const QString &status);
    // Only the normal speed.
    double rate() const { return 1.0; }
    void setRate(double) {}
    bool shuffle() const;
    // As choosing 随机 while it is not (or is) checked.
    void setShuffle(bool on);
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;
    bool canControl() const { return true; }

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position);
    void OpenUri(const QString &Uri);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    bool playing() const;
    void refuseCall(const QString &why) const;

    PlaybackSession &m_session;
    MprisState &m_state;
    // The call being answered; Qt keeps it with the object the adaptors belong to.
    const QDBusContext *m_call;
};

} // namespace tunora
