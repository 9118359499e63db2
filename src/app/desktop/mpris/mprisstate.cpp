#include "app/desktop/mpris/mprisstate.h"

#include "platform/engine/mediaplayer.h"
#include "platform/files/filenames.h"
#include "platform/files/fileurl.h"
#include "session/playbacksession.h"

#include <QTimer>

#include <cmath>

namespace tunora {

namespace {

const QString kPlaying = QStringLiteral("Playing");
const QString kPaused = QStringLiteral("Paused");
const QString kStopped = QStringLiteral("Stopped");

qint64 microseconds(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? qint64(std::llround(seconds * 1e6)) : 0;
}

} // namespace

MprisState::MprisState(PlaybackSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_player(session.player())
{
    MediaPlayer &player = m_player;
    const PlayState now = player.playState();
    m_status = now == PlayState::Playing ? kPlaying : now == PlayState::Paused ? kPaused : kStopped;
    if (!player.currentSource().isEmpty())
        m_openedSongs = 1;
    m_announced = announcedProperties();

    connect(&player, &MediaPlayer::openStateChanged, this, [this](OpenState state) {
        if (state == OpenState::MediaOpen)
            ++m_openedSongs;
        scheduleAnnouncement();
    });
    connect(&player, &MediaPlayer::playStateChanged, this, &MprisState::onPlayStateChanged);
    connect(&player, &MediaPlayer::seeked, this, [this] { Q_EMIT seeked(positionMicroseconds()); });
    connect(&session, &PlaybackSession::playModeChanged, this, &MprisState::scheduleAnnouncement);
    connect(&session, &PlaybackSession::volumeChanged, this, &MprisState::scheduleAnnouncement);
    connect(&session, &PlaybackSession::currentSongChanged, this, &MprisState::scheduleAnnouncement);
    // A new song folder decides whether there is anything to play or skip to.
    connect(&session, &PlaybackSession::songsChanged, this, &MprisState::scheduleAnnouncement);
}

void MprisState::onPlayStateChanged(PlayState state)
{
    switch (state) {
    case PlayState::Playing:
        m_status = kPlaying;
        break;
    case PlayState::Paused:
        m_status = kPaused;
        break;
    case PlayState::Stopped:
    case PlayState::Undefined:
        m_status = kStopped;
        break;
    case PlayState::Transitioning:
        break;
    }
    scheduleAnnouncement();
}

QString MprisState::playbackStatus() const
{
    return m_status;
}

QString MprisState::loopStatus() const
{
    return m_session.playMode() == PlayMode::Loop ? QStringLiteral("Playlist") : QStringLiteral("None");
}

bool MprisState::shuffle() const
{
    return m_session.playMode() == PlayMode::Random;
}

QDBusObjectPath MprisState::trackId() const
{
    if (m_player.currentSource().isEmpty())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/tunora/track/%1").arg(m_openedSongs));
}

QVariantMap MprisState::metadata() const
{
    QVariantMap data;
    data.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
    const FilePath source = m_player.currentSource();
    if (source.isEmpty())
        return data;
    if (const qint64 length = lengthMicroseconds(); length > 0)
        data.insert(QStringLiteral("mpris:length"), length);
    // The song the marks go to; one outside the song-file list is left to its URL.
    if (const QString title = displayFileName(m_session.currentSongName()); !title.isEmpty())
        data.insert(QStringLiteral("xesam:title"), title);
    data.insert(QStringLiteral("xesam:url"), fileUrlOf(source));
    return data;
}

double MprisState::volume() const
{
    return m_session.volume() / 100.0;
}

qint64 MprisState::positionMicroseconds() const
{
    return microseconds(m_player.currentPosition());
}

qint64 MprisState::lengthMicroseconds() const
{
    return microseconds(m_player.duration());
}

bool MprisState::canPlay() const
{
    return m_player.itemCount() > 0 || !m_player.currentSource().isEmpty();
}

bool MprisState::canPause() const
{
    return !m_player.currentSource().isEmpty();
}

bool MprisState::canSeek() const
{
    return canPause() && lengthMicroseconds() > 0;
}

bool MprisState::canGoNext() const
{
    // Random play picks from the song-file list, the player's next from its playlist:
    // both are filled by the same scan.
    return m_player.itemCount() > 0;
}

bool MprisState::canGoPrevious() const
{
    return canGoNext();
}

QVariantMap MprisState::announcedProperties() const
{
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("LoopStatus"), loopStatus()},
        {QStringLiteral("Shuffle"), shuffle()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("CanPlay"), canPlay()},
        {QStringLiteral("CanPause"), canPause()},
        {QStringLiteral("CanSeek"), canSeek()},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
    };
}

void MprisState::scheduleAnnouncement()
{
    if (m_announcementDue)
        return;
    m_announcementDue = true;
    // Queued: the window's own handlers of the same event (songNameLabel after a song opened) run first.
    QTimer::singleShot(0, this, &MprisState::announce);
}

void MprisState::announce()
{
    m_announcementDue = false;
    const QVariantMap now = announcedProperties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_announced = now;
    if (!changed.isEmpty())
        Q_EMIT propertiesChanged(changed);
}

} // namespace tunora
