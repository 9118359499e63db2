#include "fakeplayer.h"

namespace tunora::test {

void FakePlayer::emitMediaOpen()
{
    Q_EMIT openStateChanged(OpenState::MediaOpen);
}

void FakePlayer::emitPlayState(PlayState state)
{
    m_state = state;
    Q_EMIT playStateChanged(state);
}

void FakePlayer::finishCurrentByItself()
{
    if (m_playlist.isEmpty())
        return;
    m_current = (m_current + 1) % int(m_playlist.size());
    m_position = 0;
    const quint64 switches = m_switches;
    emitPlayState(PlayState::Transitioning);
    if (switches == m_switches)
        Q_EMIT advancingByItself();
    if (switches != m_switches)
        return; // a handler played another item
    emitMediaOpen();
    emitPlayState(PlayState::Playing);
}

void FakePlayer::setPlaylist(const QList<FilePath> &paths)
{
    m_playlist = paths;
    m_current = -1;
}

void FakePlayer::playItem(int index)
{
    m_log.append(QStringLiteral(u"playItem ") + QString::number(index));
    if (index >= 0 && index < m_playlist.size())
        open(index);
}

void FakePlayer::play()
{
    m_log.append(QStringLiteral(u"play"));
    if (m_state == PlayState::Paused)
        changeState(PlayState::Playing);
    else if (m_state != PlayState::Playing && !m_playlist.isEmpty())
        open(m_current < 0 ? 0 : m_current);
}

void FakePlayer::pause()
{
    m_log.append(QStringLiteral(u"pause"));
    if (m_state == PlayState::Playing)
        changeState(PlayState::Paused);
}

void FakePlayer::stop()
{
    m_log.append(QStringLiteral(u"stop"));
    m_position = 0;
    changeState(PlayState::Stopped);
}

void FakePlayer::next()
{
    m_log.append(QStringLiteral(u"next"));
    if (!m_playlist.isEmpty())
        open((m_current + 1) % int(m_playlist.size()));
}

void FakePlayer::previous()
{
    m_log.append(QStringLiteral(u"previous"));
    const int count = int(m_playlist.size());
    if (count > 0)
        open(m_current <= 0 ? count - 1 : m_current - 1);
}

void FakePlayer::setCurrentPosition(double seconds)
{
    m_log.append(QStringLiteral(u"setCurrentPosition ") + QString::number(seconds));
    m_position = seconds < 0 ? 0 : seconds;
    if (synchronousEvents)
        Q_EMIT seeked();
}

void FakePlayer::open(int index)
{
    ++m_switches;
    m_current = index;
    m_position = 0;
    m_state = PlayState::Playing;
    if (synchronousEvents) {
        emitMediaOpen();
        emitPlayState(PlayState::Playing);
    }
}

void FakePlayer::changeState(PlayState state)
{
    m_state = state;
    if (synchronousEvents)
        Q_EMIT playStateChanged(state);
}

} // namespace tunora::test
