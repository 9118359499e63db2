#include "songoverviews.h"

#include "overviewestimate.h"
#include "overviewreading.h"

#include "platform/files/fileio.h"
#include "platform/tasks/poolhandover.h"

#include <QFutureWatcher>

namespace tunora {

namespace {

// The path's bytes, size and modification time: another key once the file changes. Empty
// when the file cannot be looked at.
QByteArray fileKey(const FilePath &path)
{
    const QByteArray stamp = fileStamp(path);
    return stamp.isEmpty() ? QByteArray() : path.bytes() + '\0' + stamp;
}

} // namespace

SongOverviews::SongOverviews(QObject *parent)
    : QObject(parent)
{
    // A stopped reading ends within a piece of sound; two let the next start meanwhile.
    m_pool.setMaxThreadCount(2);
}

SongOverviews::~SongOverviews()
{
    stopReading();
    m_pool.waitForDone();
}

void SongOverviews::stopReading()
{
    if (m_stopReading)
        *m_stopReading = true;
    m_stopReading.reset();
    m_reading = nullptr; // its result, should it still come, is kept but not shown
    m_readingKey.clear();
}

void SongOverviews::show(const FilePath &path, double knownSeconds)
{
    const QByteArray key = fileKey(path);
    if (m_reading && !key.isEmpty() && m_readingKey == key)
        return; // already being read
    stopReading();
    if (key.isEmpty()) {
        Q_EMIT shown(nullptr);
        return;
    }
    if (const auto kept = m_kept.constFind(key); kept != m_kept.cend()) {
        Q_EMIT shown(*kept);
        return;
    }
    Q_EMIT shown(nullptr);
    auto *watcher = new Watcher(this);
    m_reading = watcher;
    m_readingKey = key;
    m_stopReading = std::make_shared<std::atomic<bool>>(false);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, key] {
        onRead(watcher, key);
        watcher->deleteLater();
    });
    watcher->setFuture(runOnPool(m_pool, [this, stop = m_stopReading, path, knownSeconds] {
        // A first estimate at once, then the decoded sound; the estimate goes through the GUI
        // thread's queue, where a song change since has already replaced `stop`.
        if (std::optional<SongOverview> estimate = estimateOverview(path, knownSeconds, *stop)) {
            auto shared = std::make_shared<const SongOverview>(std::move(*estimate));
            QMetaObject::invokeMethod(
                this, [this, stop, shared] { onEstimated(stop, shared); }, Qt::QueuedConnection);
        }
        return readOverview(path, knownSeconds, *stop);
    }));
}

void SongOverviews::showNone()
{
    stopReading();
    Q_EMIT shown(nullptr);
}

void SongOverviews::onEstimated(const std::shared_ptr<std::atomic<bool>> &stop,
                                std::shared_ptr<const SongOverview> estimate)
{
    if (m_reading && stop == m_stopReading)
        Q_EMIT shown(std::move(estimate));
}

void SongOverviews::onRead(Watcher *watcher, const QByteArray &key)
{
    const std::optional<SongOverview> overview = watcher->result();
    const bool current = watcher == m_reading;
    if (current)
        stopReading();
    if (!overview) {
        if (current)
            Q_EMIT shown(nullptr); // a plain seek bar, even where an estimate was drawn
        return;
    }
    auto kept = std::make_shared<const SongOverview>(*overview);
    m_kept.insert(key, kept);
    if (current)
        Q_EMIT shown(kept);
}

} // namespace tunora
