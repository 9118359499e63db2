#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThreadPool;

namespace tunora {

class MpvHandle;
class MpvPlayer;

// The start-up's work off the GUI thread, in one place and by one mechanism: each piece runs
// through QtConcurrent on a pool of this program's start-up, and its result comes back to the
// GUI thread through a QFutureWatcher owned here.
//
// The shutdown rule: nothing ever waits for this work. Destroying this object drops the results
// still to come; a task still under way (the engine still loading when the user quits) runs on
// until the process ends around it, and neither this object nor the application's end waits for
// it (the pool is never destroyed, since destroying a pool waits for its tasks).
class StartupWork : public QObject {
    Q_OBJECT

public:
    // Brings up an engine, or nullptr with the reason in *error; runs on a worker thread.
    using EngineOpener = std::function<std::unique_ptr<MpvHandle>(QString *error)>;

    explicit StartupWork(QObject *parent = nullptr);
    ~StartupWork() override;

    // Loads the media engine on a worker thread and attaches it to `player` (which must outlive
    // this object) on the GUI thread, or reports engineFailed(). Once: a second call does nothing.
    void loadEngine(MpvPlayer &player, EngineOpener open = defaultEngineOpener());
    bool isLoadingEngine() const { return m_engine.isRunning(); }

    static EngineOpener defaultEngineOpener();
    // The pool every start-up task runs on.
    static QThreadPool &pool();

Q_SIGNALS:
    void engineFailed(const QString &reason);

private:
    struct EngineLoad {
        std::unique_ptr<MpvHandle> handle;
        QString error;
    };

    QFutureWatcher<EngineLoad> m_engine;
    bool m_engineRequested = false;
};

} // namespace tunora
