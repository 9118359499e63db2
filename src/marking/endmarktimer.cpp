#include "endmarktimer.h"

#include "endmarkplan.h"

#include "library/songlistmodel.h"
#include "platform/engine/mediaplayer.h"
#include "platform/numbers/numbers.h"

#include <QTimer>

namespace tunora {

EndMarkTimer::EndMarkTimer(MediaPlayer &player, const SongListModel &songs,
                           SongNameSource currentSong, QTimer &ticker, QObject *parent)
    : QObject(parent)
    , m_player(player)
    , m_songs(songs)
    , m_currentSong(std::move(currentSong))
    , m_ticker(ticker)
{
    m_ticker.stop();
    m_ticker.setSingleShot(true);
    m_ticker.setTimerType(Qt::PreciseTimer);
    connect(&m_ticker, &QTimer::timeout, this, &EndMarkTimer::check);

    connect(&m_player, &MediaPlayer::playStateChanged, this, &EndMarkTimer::checkSoon);
    connect(&m_player, &MediaPlayer::openStateChanged, this, &EndMarkTimer::checkSoon);
    // The seek bar of the player's face, too: a jump past the end mark stops at once.
    connect(&m_player, &MediaPlayer::seeked, this, &EndMarkTimer::checkSoon);
    // Marks typed, stepped or taken, and rows added, moved or removed.
    connect(&m_songs, &QAbstractItemModel::dataChanged, this, &EndMarkTimer::checkSoon);
    connect(&m_songs, &QAbstractItemModel::rowsInserted, this, &EndMarkTimer::checkSoon);
    connect(&m_songs, &QAbstractItemModel::rowsRemoved, this, &EndMarkTimer::checkSoon);
    connect(&m_songs, &QAbstractItemModel::rowsMoved, this, &EndMarkTimer::checkSoon);
    connect(&m_songs, &QAbstractItemModel::modelReset, this, &EndMarkTimer::checkSoon);
    connect(&m_songs, &QAbstractItemModel::layoutChanged, this, &EndMarkTimer::checkSoon);
}

void EndMarkTimer::arm()
{
    m_armed = true;
    checkSoon();
}

void EndMarkTimer::disarm()
{
    m_armed = false;
    m_ticker.stop();
}

void EndMarkTimer::checkSoon()
{
    if (m_armed)
        m_ticker.start(0);
}

void EndMarkTimer::check()
{
    if (!m_armed)
        return;
    const QString song = m_currentSong();
    const int row = song.isEmpty() ? -1 : m_songs.rowOfSong(song);
    if (row < 0) {
        m_ticker.start(kIdlePollInterval);
        return;
    }
    const double position = m_player.currentPosition();
    const float endMark = numberFromText(m_songs.cell(row, SongListModel::End));
    if (endMarkReached(position, endMark)) {
        // Disarmed first: whatever the stop sets off may arm the timer anew.
        disarm();
        m_player.stop();
        return;
    }
    const bool advancing = m_player.playState() == PlayState::Playing;
    m_ticker.start(delayToNextCheck(position, endMark, advancing, kPollInterval));
}

} // namespace tunora
