#pragma once

#include "platform/files/filepath.h"

#include <QObject>
#include <QString>

#include <memory>
#include <thread>

namespace tunora {

class MediaPlayer;
class MediaPlayerProxy;

// Brings up the media engine module on a worker thread, so the window does not wait for the
// engine's libraries, and attaches the engine to the proxy on the proxy's thread.
class EngineLoader final : public QObject {
    Q_OBJECT

public:
    // The engine module next to the program (a build) or in the program's library folder (an
    // installation); empty with the places looked at in *error when it is in neither.
    static FilePath findModule(const FilePath &programDirectory, QString *error = nullptr);

    explicit EngineLoader(MediaPlayerProxy &player, QObject *parent = nullptr);
    // Waits for a load still under way.
    ~EngineLoader() override;

    // Loads once; the engine is attached, or failed() tells why not.
    void start(const FilePath &modulePath);

Q_SIGNALS:
    void failed(const QString &reason);

private:
    void load(const FilePath &modulePath);
    void finish();

    MediaPlayerProxy &m_player;
    std::thread m_worker;
    // Written by the worker before it reports, read on this object's thread after that.
    std::unique_ptr<MediaPlayer> m_engine;
    QString m_error;
};

} // namespace tunora
