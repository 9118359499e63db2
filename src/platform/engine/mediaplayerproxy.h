#pragma once

#include "mediaplayer.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace tunora {

// The player the window talks to while the real engine is still coming up. Until an engine
// is attached it keeps the playlist, volume and mute for reading, and records every command;
// attaching replays the commands in the order they were given, then forwards every call and
// every signal of the engine. Before that there is no media: the state is Undefined and the
// position, duration and source are empty.
class MediaPlayerProxy final : public MediaPlayer {
    Q_OBJECT

public:
    using MediaPlayer::MediaPlayer;
    ~MediaPlayerProxy() override;

    // Takes over `engine` (a player living on this object's thread) and brings it up to date.
    void attach(std::unique_ptr<MediaPlayer> engine);
    bool isAttached() const { return m_engine != nullptr; }

    void clearPlaylist() override;
    void insertItem(int index, const QString &path) override;
    void setPlaylist(const QStringList &paths) override;
    int itemCount() const override;
    QString item(int index) const override;

    void playItem(int index) override;
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    PlayState playState() const override;

    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;

    QString currentDuration() const override;
    QString currentSourceUrl() const override;

    int volume() const override;
    void setVolume(int percent) override;
    bool isMuted() const override;
    void setMuted(bool muted) override;

private:
    using Command = std::function<void(MediaPlayer &)>;
    // The engine answers once attached and brought up to date; until then the commands given
    // so far do.
    bool live() const { return m_engine && m_waiting.empty(); }
    // Runs `command` on the engine, or keeps it for attach().
    void send(Command command);
    void forwardSignals();

    std::unique_ptr<MediaPlayer> m_engine;
    std::vector<Command> m_waiting;
    // Read back while there is no engine yet.
    QStringList m_playlist;
    int m_volume = 100;
    bool m_muted = false;
};

} // namespace tunora
