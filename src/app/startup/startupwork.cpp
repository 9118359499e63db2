#include "startupwork.h"

#include "platform/engine/mpvhandle.h"
#include "platform/engine/mpvplayer.h"
#include "platform/tasks/poolhandover.h"

#include <QThreadPool>

namespace tunora {

StartupWork::StartupWork(QObject *parent)
    : QObject(parent)
{
}

// The watcher goes first and with it every report still to come; nothing is waited for.
StartupWork::~StartupWork() = default;

QThreadPool &StartupWork::pool()
{
    // Never destroyed: its destructor, like the application's for Qt's global pool, would wait
    // for a task still under way.
    static QThreadPool *const pool = new QThreadPool;
    return *pool;
}

StartupWork::EngineOpener StartupWork::defaultEngineOpener()
{
    return [](QString *error) { return MpvHandle::open(error); };
}

void StartupWork::loadEngine(MpvPlayer &player, EngineOpener open)
{
    if (m_engineRequested)
        return;
    m_engineRequested = true;
    connect(&m_engine, &QFutureWatcherBase::finished, this, [this, &player] {
        EngineLoad load = m_engine.future().takeResult();
        if (load.handle)
            player.attach(std::move(load.handle));
        else
            Q_EMIT engineFailed(load.error);
    });
    m_engine.setFuture(runOnPool(pool(), [open = std::move(open)] {
        EngineLoad load;
        load.handle = open(&load.error);
        return load;
    }));
}

} // namespace tunora
