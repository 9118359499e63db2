#include "app/desktop/mpris/mprisplayer.h"

#include "app/desktop/mpris/mprisnames.h"
#include "app/desktop/mpris/mprisstate.h"

#include "platform/engine/mediaplayer.h"
#include "platform/files/fileurl.h"
#include "session/playbacksession.h"

#include <algorithm>
#include <cmath>

namespace tunora {

namespace {

const QString kPlaylistLoop = QStringLiteral("Playlist");
const QString kNoLoop = QStringLiteral("None");

} // namespace

MprisPlayer::MprisPlayer(PlaybackSession &session, MprisState &state, QObject *service)
    : QDBusAbstractAdaptor(service)
    , m_session(session)
    , m_state(state)
    , m_call(dynamic_cast<const QDBusContext *>(service))
{
    connect(&m_state, &MprisState::seeked, this, &MprisPlayer::Seeked);
}

QString MprisPlayer::playbackStatus() const { return m_state.playbackStatus(); }
QString MprisPlayer::loopStatus() const { return m_state.loopStatus(); }
bool MprisPlayer::shuffle() const { return m_state.shuffle(); }
QVariantMap MprisPlayer::metadata() const { return m_state.metadata(); }
double MprisPlayer::volume() const { return m_state.volume(); }
qlonglong MprisPlayer::position() const { return m_state.positionMicroseconds(); }
bool MprisPlayer::canGoNext() const { return m_state.canGoNext(); }
bool MprisPlayer::canGoPrevious() const { return m_state.canGoPrevious(); }
bool MprisPlayer::canPlay() const { return m_state.canPlay(); }
bool MprisPlayer::canPause() const { return m_state.canPause(); }
bool MprisPlayer::canSeek() const { return m_state.canSeek(); }

void MprisPlayer::setLoopStatus(const QString &status)
{
    // No play mode repeats one song: "Track" changes nothing.
    if (status == kPlaylistLoop && m_session.playMode() != PlayMode::Loop)
        m_session.setPlayMode(PlayMode::Loop);
    else if (status == kNoLoop && m_session.playMode() == PlayMode::Loop)
        m_session.setPlayMode(PlayMode::Random);
}

void MprisPlayer::setShuffle(bool on)
{
    if (on != (m_session.playMode() == PlayMode::Random))
        m_session.setPlayMode(on ? PlayMode::Random : PlayMode::Loop);
}

void MprisPlayer::setVolume(double volume)
{
    const double clamped = std::isfinite(volume) ? std::clamp(volume, 0.0, 1.0) : 0.0;
    m_session.setVolume(int(std::lround(clamped * 100)));
}

bool MprisPlayer::playing() const
{
    return m_session.player().playState() == PlayState::Playing;
}

void MprisPlayer::Next()
{
    m_session.next();
}

void MprisPlayer::Previous()
{
    m_session.previous();
}

void MprisPlayer::Pause()
{
    if (playing())
        m_session.playPause();
}

void MprisPlayer::PlayPause()
{
    m_session.playPause();
}

void MprisPlayer::Stop()
{
    m_session.stop();
}

void MprisPlayer::Play()
{
    if (!playing())
        m_session.playPause();
}

void MprisPlayer::Seek(qlonglong Offset)
{
    if (!canSeek())
        return;
    const qint64 target = std::max<qint64>(0, m_state.positionMicroseconds() + Offset);
    if (target > m_state.lengthMicroseconds()) {
        Next(); // past the end, as the song would end there
        return;
    }
    m_session.seek(double(target) / 1e6);
}

void MprisPlayer::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    // A request meant for a song that is no longer the current one is stale.
    if (!canSeek() || TrackId != m_state.trackId() || Position < 0 || Position > m_state.lengthMicroseconds())
        return;
    m_session.seek(double(Position) / 1e6);
}

void MprisPlayer::OpenUri(const QString &Uri)
{
    // The window says why a song does not open; the caller learns that it did not.
    const FilePath path = pathOfFileUrl(Uri);
    if (path.isEmpty())
        refuseCall(QStringLiteral("not a local file URI: %1").arg(Uri));
    else if (!m_session.openFiles({path}))
        refuseCall(QStringLiteral("cannot play %1").arg(Uri));
}

void MprisPlayer::refuseCall(const QString &why) const
{
    if (m_call && m_call->calledFromDBus())
        m_call->sendErrorReply(mpris::kCannotOpenError, why);
}

} // namespace tunora
