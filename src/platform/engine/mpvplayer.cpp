#include "mpvplayer.h"

#include "platform/files/filenames.h"

#include <mpv/client.h>

#include <QByteArray>
#include <QMetaObject>

#include <clocale>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace tunora {

namespace {

// Observed property ids.
constexpr std::uint64_t kTimePosId = 1;
constexpr std::uint64_t kCoreIdleId = 2;
constexpr std::uint64_t kDurationId = 3;

// A reading this close to a seek target means the engine has arrived there.
constexpr double kArrivalTolerance = 0.25;

struct Option {
    const char *name;
    const char *value;
};

// The engine plays audio only, on any output that works (the null output as a last resort,
// so the program also runs without a sound device), and takes no input or config of its own.
constexpr Option kRequiredOptions[] = {
    {"vid", "no"},
    {"vo", "null"},
    {"ao", "pulse,alsa,null"},
    {"audio-fallback-to-null", "yes"},
    // With gapless audio mpv ends a file some 0.4 s before its audio has been heard.
    {"gapless-audio", "no"},
    {"keep-open", "no"},
    {"idle", "yes"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"audio-display", "no"},
};
// Not every build knows these; they only keep the engine quiet.
constexpr Option kOptionalOptions[] = {
    {"load-scripts", "no"},
    {"ytdl", "no"},
    // The built-in scripts would start a Lua interpreter each, and the console and stats
    // overlays the subtitle renderer with its font scan: start-up time for nothing we show.
    {"osc", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"audio-client-name", "Tunora"},
    // Looking for external subtitle, audio and cover files lists the song's whole folder on
    // every load: thousands of entries before a song can start, for files we never use.
    {"autoload-files", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"cover-art-auto", "no"},
};

QString mpvError(int code)
{
    return QString::fromUtf8(mpv_error_string(code));
}

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

void MpvPlayer::HandleCloser::operator()(mpv_handle *handle) const
{
    mpv_set_wakeup_callback(handle, nullptr, nullptr);
    mpv_terminate_destroy(handle);
}

std::unique_ptr<MpvPlayer> MpvPlayer::create(QString *error, QObject *parent)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::unique_ptr<MpvPlayer>();
    };
    const char *numeric = std::setlocale(LC_NUMERIC, nullptr);
    if (numeric && std::strcmp(numeric, "C") != 0)
        return fail(QStringLiteral(u"The media engine needs the numeric locale \"C\"."));
    Handle handle(mpv_create());
    if (!handle)
        return fail(QStringLiteral(u"The media engine (libmpv) could not be created."));
    for (const Option &option : kRequiredOptions) {
        const int result = mpv_set_option_string(handle.get(), option.name, option.value);
        if (result < 0)
            return fail(QStringLiteral(u"The media engine refused the option %1=%2: %3")
                            .arg(QString::fromUtf8(option.name), QString::fromUtf8(option.value),
                                 mpvError(result)));
    }
    for (const Option &option : kOptionalOptions)
        mpv_set_option_string(handle.get(), option.name, option.value);
    if (const int result = mpv_initialize(handle.get()); result < 0)
        return fail(QStringLiteral(u"The media engine could not start: ") + mpvError(result));
    return std::unique_ptr<MpvPlayer>(new MpvPlayer(std::move(handle), parent));
}

MpvPlayer::MpvPlayer(Handle handle, QObject *parent)
    : MediaPlayer(parent), m_mpv(std::move(handle))
{
    mpv_observe_property(m_mpv.get(), kTimePosId, "time-pos", MPV_FORMAT_DOUBLE);
    // Yes while the engine does not advance: paused, waiting for data, seeking or idle.
    mpv_observe_property(m_mpv.get(), kCoreIdleId, "core-idle", MPV_FORMAT_FLAG);
    // A song that is still arriving (a pipe, a slow share) grows as its bytes come in.
    mpv_observe_property(m_mpv.get(), kDurationId, "duration", MPV_FORMAT_DOUBLE);
    // Called on an engine thread: it only asks the GUI thread to fetch the events.
    mpv_set_wakeup_callback(
        m_mpv.get(), [](void *self) { static_cast<MpvPlayer *>(self)->queueDrain(); }, this);
}

MpvPlayer::~MpvPlayer() = default;

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
        const mpv_event *event = mpv_wait_event(m_mpv.get(), 0);
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
    if (mpv_get_property(m_mpv.get(), "duration", MPV_FORMAT_DOUBLE, &duration) < 0)
        duration = -1;
    onDuration(duration);
    if (m_seekWhenOpen) {
        seek(*m_seekWhenOpen);
        m_seekWhenOpen.reset();
    }
    const quint64 switches = m_switches;
    Q_EMIT openStateChanged(int(OpenState::MediaOpen));
    if (switches == m_switches)
        reportNow(m_wantPause ? PlayState::Paused : PlayState::Playing);
}

void MpvPlayer::onPlaybackRestart()
{
    if (!m_open || !m_clock.isHeld())
        return;
    double position = 0;
    if (mpv_get_property(m_mpv.get(), "time-pos", MPV_FORMAT_DOUBLE, &position) < 0)
        return;
    // A restart that belongs to an earlier seek leaves the clock at the newer target.
    const double target = m_clock.heldTarget();
    const bool arrived = std::abs(position - target) < kArrivalTolerance
        || (m_duration > 0 && target >= m_duration - kArrivalTolerance);
    if (!arrived)
        return;
    m_clock.release(position);
    m_played = true;
    m_silentEnds = 0;
}

void MpvPlayer::onEndFile(std::int64_t entryId, EndReason reason)
{
    if (m_loadId < 0 || entryId != m_loadId)
        return; // the end of a file that the program has already left
    m_loadId = -1;
    m_open = false;
    m_clock.setRunning(false);
    if (reason == EndReason::Finished) {
        m_silentEnds = m_played ? 0 : m_silentEnds + 1;
        if (m_silentEnds < m_playlist.size()) {
            advanceByItself();
            return;
        }
    }
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
    if (switches == m_switches) // the handler may have picked a song of its own
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
    m_state = PlayState::Transitioning;
    if (!m_loadQueued) {
        m_loadQueued = true;
        QMetaObject::invokeMethod(this, [this] { startQueuedLoad(); }, Qt::QueuedConnection);
    }
}

void MpvPlayer::startQueuedLoad()
{
    if (!m_loadQueued)
        return;
    m_loadQueued = false;
    load(m_startAt);
}

void MpvPlayer::load(double startAt)
{
    m_open = false;
    m_played = false;
    m_duration = -1;
    m_clock.reset(startAt);
    m_clock.setRunning(!m_wantPause);
    setPaused(m_wantPause);

    const QByteArray path = encodeFileName(m_currentPath);
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
    if (mpv_command_node(m_mpv.get(), &command, &result) < 0) {
        m_loadId = -1;
        m_clock.reset(0);
        reportNow(PlayState::Stopped);
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
    mpv_free_node_contents(&result);
}

void MpvPlayer::play()
{
    if (m_state == PlayState::Paused && m_open) {
        m_wantPause = false;
        setPaused(false);
        m_clock.setRunning(true);
        reportLater(PlayState::Playing);
    } else if (m_loadQueued || (m_loadId >= 0 && !m_open)) {
        m_wantPause = false; // still opening: it will play once open
        setPaused(false);
        m_clock.setRunning(true);
    } else if (!m_open && !m_playlist.isEmpty()) {
        playItem(m_index < 0 ? 0 : m_index);
    }
}

void MpvPlayer::pause()
{
    if (m_state == PlayState::Playing && m_open) {
        m_wantPause = true;
        setPaused(true);
        m_clock.setRunning(false);
        reportLater(PlayState::Paused);
    } else if (m_loadQueued || (m_loadId >= 0 && !m_open)) {
        m_wantPause = true;
        setPaused(true);
        m_clock.setRunning(false);
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
    const char *command[] = {"stop", nullptr};
    mpv_command(m_mpv.get(), command);
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
    if (mpv_command(m_mpv.get(), command) >= 0)
        m_clock.holdAt(seconds);
}

QString MpvPlayer::currentDuration() const
{
    if (m_currentPath.isEmpty() || !(m_duration >= 0))
        return QString();
    return QString::number(m_duration, 'f', 3);
}

void MpvPlayer::setPaused(bool paused)
{
    int flag = paused ? 1 : 0;
    mpv_set_property(m_mpv.get(), "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::setVolume(int percent)
{
    m_volume = qBound(0, percent, 100);
    double volume = m_volume;
    mpv_set_property(m_mpv.get(), "volume", MPV_FORMAT_DOUBLE, &volume);
}

void MpvPlayer::setMuted(bool muted)
{
    m_muted = muted;
    int flag = muted ? 1 : 0;
    mpv_set_property(m_mpv.get(), "mute", MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::clearPlaylist()
{
    m_playlist.clear();
    m_index = -1;
}

void MpvPlayer::insertItem(int index, const QString &path)
{
    index = qBound(0, index, int(m_playlist.size()));
    m_playlist.insert(index, path);
    if (m_index >= index)
        ++m_index;
}

void MpvPlayer::setPlaylist(const QStringList &paths)
{
    m_playlist = paths;
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
    QMetaObject::invokeMethod(
        this, [this, state] { Q_EMIT playStateChanged(int(state)); }, Qt::QueuedConnection);
}

void MpvPlayer::reportNow(PlayState state)
{
    m_state = state;
    Q_EMIT playStateChanged(int(state));
}

} // namespace tunora
