#pragma once

#include "songoverview.h"

#include "platform/files/filepath.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>

namespace tunora {

// The overviews of the songs played in this run, read off the GUI thread when a song opens
// and kept by the song's path, size and modification time, so a song changed on disk is read
// again. Only the overview of the song shown last is ever handed out: one still being read for
// an earlier song is stopped and never shown.
class SongOverviews : public QObject {
    Q_OBJECT

public:
    explicit SongOverviews(QObject *parent = nullptr);
    ~SongOverviews() override;

    // The song now playing, `knownSeconds` long as far as the player knows (0: unknown). Its
    // overview comes through shown(): at once when kept, else a first estimate within a few
    // tens of milliseconds (where the song allows one) and the decoded one once it is read.
    void show(const FilePath &path, double knownSeconds);
    // No song: shown(nullptr) at once, and any reading stops.
    void showNone();

Q_SIGNALS:
    // The overview of the song shown last; nullptr while there is none to draw (none read
    // yet, or a song that cannot be decoded).
    void shown(std::shared_ptr<const tunora::SongOverview> overview);

private:
    using Watcher = QFutureWatcher<std::optional<SongOverview>>;
    void stopReading();
    void onEstimated(const std::shared_ptr<std::atomic<bool>> &stop, std::shared_ptr<const SongOverview> estimate);
    void onRead(Watcher *watcher, const QByteArray &key);

    QThreadPool m_pool;
    QHash<QByteArray, std::shared_ptr<const SongOverview>> m_kept; // by the file's key
    // The reading of the song shown last, if one is under way.
    Watcher *m_reading = nullptr;
    QByteArray m_readingKey;
    std::shared_ptr<std::atomic<bool>> m_stopReading;
};

} // namespace tunora
