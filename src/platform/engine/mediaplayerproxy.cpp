#include "mediaplayerproxy.h"

#include <QMetaMethod>

#include <utility>

namespace tunora {

MediaPlayerProxy::~MediaPlayerProxy() = default;

void MediaPlayerProxy::attach(std::unique_ptr<MediaPlayer> engine)
{
    if (m_engine || !engine)
        return;
    m_engine = std::move(engine);
    forwardSignals();
    // A handler reached from a replayed command may give new commands: they queue behind
    // the waiting ones, so the engine sees everything in the order it was given.
    for (std::size_t i = 0; i < m_waiting.size(); ++i) {
        Command command = std::move(m_waiting[i]);
        command(*m_engine);
    }
    m_waiting.clear();
    m_waiting.shrink_to_fit();
    m_playlist.clear();
}

void MediaPlayerProxy::forwardSignals()
{
    // Every signal of the interface, matched by signature, so a signal added to it later is
    // forwarded without a change here.
    const QMetaObject &face = MediaPlayer::staticMetaObject;
    const QMetaObject *source = m_engine->metaObject();
    for (int i = face.methodOffset(); i < face.methodCount(); ++i) {
        const QMetaMethod signal = face.method(i);
        if (signal.methodType() != QMetaMethod::Signal)
            continue;
        const int from = source->indexOfSignal(signal.methodSignature().constData());
        if (from >= 0)
            connect(m_engine.get(), source->method(from), this, signal);
    }
}

void MediaPlayerProxy::send(Command command)
{
    if (live())
        command(*m_engine);
    else
        m_waiting.push_back(std::move(command));
}

void MediaPlayerProxy::clearPlaylist()
{
    if (!live())
        m_playlist.clear();
    send([](MediaPlayer &engine) { engine.clearPlaylist(); });
}

void MediaPlayerProxy::insertItem(int index, const QString &path)
{
    if (!live())
        m_playlist.insert(qBound(0, index, int(m_playlist.size())), path);
    send([index, path](MediaPlayer &engine) { engine.insertItem(index, path); });
}

void MediaPlayerProxy::setPlaylist(const QStringList &paths)
{
    if (!live())
        m_playlist = paths;
    send([paths](MediaPlayer &engine) { engine.setPlaylist(paths); });
}

int MediaPlayerProxy::itemCount() const
{
    return live() ? m_engine->itemCount() : int(m_playlist.size());
}

QString MediaPlayerProxy::item(int index) const
{
    return live() ? m_engine->item(index) : m_playlist.value(index);
}

void MediaPlayerProxy::playItem(int index)
{
    send([index](MediaPlayer &engine) { engine.playItem(index); });
}

void MediaPlayerProxy::play()
{
    send([](MediaPlayer &engine) { engine.play(); });
}

void MediaPlayerProxy::pause()
{
    send([](MediaPlayer &engine) { engine.pause(); });
}

void MediaPlayerProxy::stop()
{
    send([](MediaPlayer &engine) { engine.stop(); });
}

void MediaPlayerProxy::next()
{
    send([](MediaPlayer &engine) { engine.next(); });
}

void MediaPlayerProxy::previous()
{
    send([](MediaPlayer &engine) { engine.previous(); });
}

PlayState MediaPlayerProxy::playState() const
{
    return live() ? m_engine->playState() : PlayState::Undefined;
}

double MediaPlayerProxy::currentPosition() const
{
    return live() ? m_engine->currentPosition() : 0.0;
}

void MediaPlayerProxy::setCurrentPosition(double seconds)
{
    send([seconds](MediaPlayer &engine) { engine.setCurrentPosition(seconds); });
}

QString MediaPlayerProxy::currentDuration() const
{
    return live() ? m_engine->currentDuration() : QString();
}

QString MediaPlayerProxy::currentSourceUrl() const
{
    return live() ? m_engine->currentSourceUrl() : QString();
}

int MediaPlayerProxy::volume() const
{
    return live() ? m_engine->volume() : m_volume;
}

void MediaPlayerProxy::setVolume(int percent)
{
    m_volume = qBound(0, percent, 100);
    send([percent](MediaPlayer &engine) { engine.setVolume(percent); });
}

bool MediaPlayerProxy::isMuted() const
{
    return live() ? m_engine->isMuted() : m_muted;
}

void MediaPlayerProxy::setMuted(bool muted)
{
    m_muted = muted;
    send([muted](MediaPlayer &engine) { engine.setMuted(muted); });
}

} // namespace tunora
