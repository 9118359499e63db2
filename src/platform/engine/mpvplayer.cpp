#include "mpvplayer.h"

#include "mpvhandle.h"

#include "platform/files/filenames.h"

#include <QByteArray>
#include <QMetaObject>

#include <cmath>
#include <cstring>
#include <utility>

namespace tunora {

namespace {

// Observed property ids.
constexpr std::uint64_t kTimePosId = 1;
constexpr std::uint64_t kCoreIdleId = 2;
constexpr std::uint64_t kDurationId = 3;

// A reading this close to a seek target means the engine has arrived there.
constexpr double kArrivalTolerance = 0.25;

QByteArray decimal(double seconds)
{
    return QByteArray::number(seconds, 'f', 6);
}

mpv_node stringNode(const char *text)
{
    mpv_node node{};
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char *>(text);
    return node;
}

} // namespace

MpvPlayer::MpvPlayer(QObject *parent)
    : MediaPlayer(parent)
{
}

std::unique_ptr<MpvPlayer> MpvPlayer::create(QString *error, QObject *parent)
{
    std::unique_ptr<MpvHandle> handle = MpvHandle::open(error);
    if (!handle)
        return nullptr;
    auto player = std::make_unique<MpvPlayer>(parent);
    player->attach(std::move(handle));
    return player;
}

MpvPlayer::~MpvPlayer()
{
    m_mpv.reset(); // no wakeup may reach this object once its members start to go
}

const LibMpv &MpvPlayer::mpv() const
{
    return m_mpv->api();
}

mpv_handle *MpvPlayer::handle() const
{
    return m_mpv->get();
}

void MpvPlayer::attach(std::unique_ptr<MpvHandle> handle)
{
    if (m_mpv || !handle)
        return;
    m_mpv = std::move(handle);
    mpv().observeProperty(this->handle(), kTimePosId, "time-pos", MPV_FORMAT_DOUBLE);
    // Yes while the engine does not advance: paused, waiting for data, seeking or idle.
    mpv().observeProperty(this->handle(), kCoreIdleId, "core-idle", MPV_FORMAT_FLAG);
    // A song that is still arriving (a pipe, a slow share) grows as its bytes come in.
    mpv().observeProperty(this->handle(), kDurationId, "duration", MPV_FORMAT_DOUBLE);
    // Called on an engine thread: it only asks the GUI thread to fetch the events.
    mpv().setWakeupCallback(
        this->handle(), [](void *self) { static_cast<MpvPlayer *>(self)->queueDrain(); }, this);
    // What the player was told while it waited.
    setEngineVolume();
    setEngineFlag("mute", m_muted);
    startQueuedLoad();
}

void MpvPlayer::queueDrain()
{
    if (!m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(this, [this] { drainEvents(); }, Qt::QueuedConnection);
}

void MpvPlayer::drainEvents()
{
    m_drainQueued = false;
    for (;;) {
        // The event is only valid until the next mpv_wait_event(), which a handler reached
        // through a signal may cause; so each one is decoded before anything reacts to it.
        const mpv_event *event = mpv().waitEvent(handle(), 0);
        switch (event->event_id) {
        case MPV_EVENT_NONE:
            return;
        case MPV_EVENT_START_FILE:
            onStartFile(static_cast<const mpv_event_start_file *>(event->data)->playlist_entry_id);
            break;
        case MPV_EVENT_FILE_LOADED:
            onFileLoaded();
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            onPlaybackRestart();
            break;
        case MPV_EVENT_END_FILE: {
            const auto *end = static_cast<const mpv_event_end_file *>(event->data);
            const EndReason reason = end->reason == MPV_END_FILE_REASON_EOF ? EndReason::Finished
                : end->reason == MPV_END_FILE_REASON_ERROR                  ? EndReason::Failed
                                                                            : EndReason::Other;
            onEndFile(end->playlist_entry_id, reason);
            break;
        }
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto *property = static_cast<const mpv_event_property *>(event->data);
            if (event->reply_userdata == kTimePosId && property->format == MPV_FORMAT_DOUBLE)
                onTimePos(*static_cast<const double *>(property->data));
            else if (event->reply_userdata == kCoreIdleId && property->format == MPV_FORMAT_FLAG)
                m_clock.setStalled(*static_cast<const int *>(property->data) != 0);
            else if (event->reply_userdata == kDurationId && property->format == MPV_FORMAT_DOUBLE && m_open)
                onDuration(*static_cast<const double *>(property->data));
            break;
        }
        default:
            break;
        }
    }
}

void MpvPlayer::onStartFile(std::int64_t entryId)
{
    m_startedId = entryId;
}

void MpvPlayer::onFileLoaded()
{
    if (m_loadId < 0 || m_startedId != m_loadId)
        return; // a file that was replaced while it loaded
    m_open = true;
    double duration = -1;
    if (mpv().getProperty(handle(), "duration", MPV_FORMAT_DOUBLE, &duration) < 0)
        duration = -1;
    onDuration(duration);
    if (m_seekWhenOpen) {
        seek(*m_seekWhenOpen);
        m_seekWhenOpen.reset();
    }
    const quint64 switches = m_switches;
    Q_EMIT openStateChanged(OpenState::MediaOpen);
    if (switches == m_switches)
        reportNow(m_wantPause ? PlayState::Paused : PlayState::Playing);
}

void MpvPlayer::onPlaybackRestart()
{
    if (!m_open || !m_clock.isHeld())
        return;
    double position = 0;
    if (mpv().getProperty(handle(), "time-pos", MPV_FORMAT_DOUBLE, &position) < 0)
        return;
    // A restart that belongs to an earlier seek leaves the clock at the newer target.
    const double target = m_clock.heldTarget();
    const bool arrived = std::abs(position - target) < kArrivalTolerance
        || (m_duration > 0 && target >= m_duration - kArrivalTolerance);
    if (!arrived)
        return;
    m_clock.release(position);
    m_played = true;
    m_endedUnplayed.clear();
}

void MpvPlayer::onEndFile(std::int64_t entryId, EndReason reason)
{
    if (m_loadId < 0 || entryId != m_loadId)
        return; // the end of a file that the program has already left
    m_loadId = -1;
    m_open = false;
    m_clock.setRunning(false);
    if (reason == EndReason::Failed) {
        loadFailed();
        return;
    }
    if (reason == EndReason::Finished) {
        moveOnAfterEnd();
        return;
    }
    m_clock.reset(0);
    reportNow(PlayState::Stopped);
}

// A song that cannot be played is passed over as every player does: said, then left as a
// finished song is, so the random advance answers it as well.
void MpvPlayer::loadFailed()
{
    const quint64 switches = m_switches;
    Q_EMIT openStateChanged(OpenState::MediaFailed);
    if (switches == m_switches) // the handler may have picked a song of its own
        moveOnAfterEnd();
}

void MpvPlayer::moveOnAfterEnd()
{
    if (!m_played && m_index >= 0)
        m_endedUnplayed.insert(m_index);
    if (m_endedUnplayed.size() < m_playlist.size()) {
        advanceByItself();
        return;
    }
    // Nothing here plays: stop after one round rather than try the same files forever.
    m_endedUnplayed.clear();
    m_clock.reset(0);
    reportNow(PlayState::Stopped);
}

void MpvPlayer::onDuration(double seconds)
{
    m_duration = seconds;
    m_clock.setLimit(seconds);
}

void MpvPlayer::onTimePos(double seconds)
{
    if (m_open)
        m_clock.report(seconds);
}

void MpvPlayer::advanceByItself()
{
    m_index = (m_index + 1) % int(m_playlist.size());
    m_currentPath = m_playlist.at(m_index);
    m_duration = -1;
    m_clock.reset(0);
    const quint64 switches = m_switches;
    reportNow(PlayState::Transitioning);
    if (switches == m_switches)
        Q_EMIT advancingByItself();
    if (switches == m_switches) // a handler may have picked a song of its own
        load(0);
}

void MpvPlayer::playItem(int index)
{
    if (index < 0 || index >= m_playlist.size())
        return;
    ++m_switches;
    m_index = index;
    m_currentPath = m_playlist.at(index);
    // Events of the file playing until now must not count for this one.
    m_loadId = -1;
    m_open = false;
    m_seekWhenOpen.reset();
    m_duration = -1;
    m_wantPause = false;
    m_startAt = 0;
    m_clock.reset(0);
    // Without an engine the song waits for it: it counts as playing as asked.
    m_state = m_mpv ? PlayState::Transitioning : PlayState::Playing;
    if (!m_loadQueued) {
        m_loadQueued = true;
        QMetaObject::invokeMethod(this, [this] { startQueuedLoad(); }, Qt::QueuedConnection);
    }
}

void MpvPlayer::startQueuedLoad()
{
    if (!m_loadQueued || !m_mpv)
        return; // the engine takes it up once it is attached
    m_loadQueued = false;
    load(m_startAt);
}

void MpvPlayer::load(double startAt)
{
    m_open = false;
    m_played = false;
    m_duration = -1;
    m_clock.reset(startAt);
    wantPause(m_wantPause);

    const QByteArray path = m_currentPath.bytes();
    const QByteArray start = decimal(startAt);
    char *optionKeys[] = {const_cast<char *>("start")};
    mpv_node optionValues[] = {stringNode(start.constData())};
    mpv_node_list options{1, optionValues, optionKeys};

    char *keys[] = {const_cast<char *>("name"), const_cast<char *>("url"),
                    const_cast<char *>("flags"), const_cast<char *>("options")};
    mpv_node values[] = {stringNode("loadfile"), stringNode(path.constData()),
                         stringNode("replace"), mpv_node{}};
    values[3].format = MPV_FORMAT_NODE_MAP;
    values[3].u.list = &options;
    mpv_node_list arguments{4, values, keys};
    mpv_node command{};
    command.format = MPV_FORMAT_NODE_MAP;
    command.u.list = &arguments;

    mpv_node result{};
    if (mpv().commandNode(handle(), &command, &result) < 0) {
        // Refused at once: a failure like any other, reported after this call returns.
        m_loadId = -1;
        m_clock.reset(0);
        QMetaObject::invokeMethod(
            this, [this, switches = m_switches] {
                if (switches == m_switches && m_loadId < 0 && !m_loadQueued)
                    loadFailed();
            },
            Qt::QueuedConnection);
        return;
    }
    m_loadId = -1;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (std::strcmp(result.u.list->keys[i], "playlist_entry_id") == 0
                && result.u.list->values[i].format == MPV_FORMAT_INT64)
                m_loadId = result.u.list->values[i].u.int64;
        }
    }
    mpv().freeNodeContents(&result);
}

void MpvPlayer::play()
{
    const bool opening = m_loadQueued || (m_loadId >= 0 && !m_open);
    if (m_state == PlayState::Paused && m_open) {
        wantPause(false);
        reportLater(PlayState::Playing);
    } else if (opening) {
        wantPause(false); // it will play once open
        if (m_state == PlayState::Paused) // paused while it waited for the engine
            reportLater(PlayState::Playing);
    } else if (!m_open && !m_playlist.isEmpty()) {
        playItem(m_index < 0 ? 0 : m_index);
    }
}

void MpvPlayer::pause()
{
    const bool opening = m_loadQueued || (m_loadId >= 0 && !m_open);
    if (m_state == PlayState::Playing && m_open) {
        wantPause(true);
        reportLater(PlayState::Paused);
    } else if (opening) {
        wantPause(true); // it will open paused
        if (m_state == PlayState::Playing) // waiting for the engine
            reportLater(PlayState::Paused);
    }
}

void MpvPlayer::stop()
{
    ++m_switches;
    m_loadQueued = false;
    m_loadId = -1;
    m_open = false;
    m_seekWhenOpen.reset();
    m_wantPause = false;
    if (m_mpv) {
        const char *command[] = {"stop", nullptr};
        mpv().command(handle(), command);
    }
    m_clock.setRunning(false);
    m_clock.reset(0);
    reportLater(PlayState::Stopped);
}

void MpvPlayer::next()
{
    if (!m_playlist.isEmpty())
        playItem((m_index + 1) % int(m_playlist.size()));
}

void MpvPlayer::previous()
{
    if (!m_playlist.isEmpty())
        playItem(m_index <= 0 ? int(m_playlist.size()) - 1 : m_index - 1);
}

void MpvPlayer::setCurrentPosition(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (m_loadQueued) {
        m_startAt = seconds;
        m_clock.reset(seconds);
    } else if (m_loadId >= 0 && !m_open) {
        // mpv would apply a seek now to the file it is leaving; wait until the new one is open.
        m_seekWhenOpen = seconds;
        m_clock.reset(seconds);
    } else if (m_open) {
        seek(seconds);
    } else {
        return;
    }
    QMetaObject::invokeMethod(this, [this] { Q_EMIT seeked(); }, Qt::QueuedConnection);
}

void MpvPlayer::seek(double seconds)
{
    const QByteArray target = decimal(seconds);
    const char *command[] = {"seek", target.constData(), "absolute+exact", nullptr};
    if (mpv().command(handle(), command) >= 0)
        m_clock.holdAt(seconds);
}

void MpvPlayer::wantPause(bool paused)
{
    m_wantPause = paused;
    setEngineFlag("pause", paused);
    m_clock.setRunning(!paused);
}

void MpvPlayer::setEngineFlag(const char *property, bool on)
{
    if (!m_mpv)
        return;
    int flag = on ? 1 : 0;
    mpv().setProperty(handle(), property, MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::setEngineVolume()
{
    if (!m_mpv)
        return;
    double volume = m_volume;
    mpv().setProperty(handle(), "volume", MPV_FORMAT_DOUBLE, &volume);
}

void MpvPlayer::setVolume(int percent)
{
    m_volume = qBound(0, percent, 100);
    setEngineVolume();
}

void MpvPlayer::setMuted(bool muted)
{
    m_muted = muted;
    setEngineFlag("mute", muted);
}

void MpvPlayer::setPlaylist(const QList<FilePath> &paths)
{
    m_playlist = paths;
    m_endedUnplayed.clear();
    indexAfterPlaylistChange();
}

void MpvPlayer::indexAfterPlaylistChange()
{
    // The media keeps playing; if the new playlist holds it, the advance goes on from there.
    m_index = m_currentPath.isEmpty() ? -1 : int(m_playlist.indexOf(m_currentPath));
}

void MpvPlayer::reportLater(PlayState state)
{
    m_state = state;
    QMetaObject::invokeMethod(this, [this, state] { Q_EMIT playStateChanged(state); }, Qt::QueuedConnection);
}

void MpvPlayer::reportNow(PlayState state)
{
    m_state = state;
    Q_EMIT playStateChanged(state);
}

} // namespace tunora
