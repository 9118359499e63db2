#pragma once

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <mutex>
#include <utility>

namespace tunora {

// Held by the thread that hands a task to a pool, and taken by the task before it runs. Qt's pool
// already orders the two, but inside its own library, where a thread checker such as
// ThreadSanitizer cannot see it; with this lock the order of the handover is visible too. A
// task that starts at once waits at most until QtConcurrent::run() has returned.
inline std::mutex &poolHandoverLock()
{
    static std::mutex lock;
    return lock;
}

// Runs `work` on `pool` through QtConcurrent; the future carries what it returns. Everything the
// caller did before, building `work` included, is seen by the task.
template <typename Work>
auto runOnPool(QThreadPool &pool, Work work)
{
    const std::lock_guard handingOver(poolHandoverLock());
    return QtConcurrent::run(&pool, [work = std::move(work)]() mutable {
        { const std::lock_guard handedOver(poolHandoverLock()); }
        return work();
    });
}

} // namespace tunora
