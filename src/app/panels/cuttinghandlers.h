#pragma once

#include "app/panels/cuttingmessages.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class QProgressDialog;

namespace tunora {

struct AppContext;

// The buttons of 剪切工具 that write files: cutSelectedButton cuts the selected row, cutAllButton every row,
// mergeAllButton merges all rows into one file. The song folder, the rows and the output folders are
// taken at the click; the work runs on a worker thread, so the window keeps answering, and
// its outcome is told when it is over. Work that lasts shows a progress dialog, modal to the
// window; a click while a cut runs starts nothing. Quitting meanwhile lets the running work
// finish (the application waits for its thread pool), so no output is left half written.
class CuttingHandlers : public QObject {
    Q_OBJECT

public:
    explicit CuttingHandlers(AppContext &context, QObject *parent = nullptr);
    ~CuttingHandlers() override;

    void cutSelected();
    void cutAll();
    void mergeAll();

    // From a click that started work until its outcome has been told.
    bool isBusy() const { return m_busy; }
    // Runs on the worker before each piece of work: tests hold a cut there to watch the
    // window while it runs.
    void setWorkGate(std::function<void()> gate) { m_workGate = std::move(gate); }

Q_SIGNALS:
    // A cut's work is over and its outcome told.
    void finished();

private:
    using Outcome = std::optional<Notice>;
    void run(std::function<Outcome()> work, const QString &label);
    void showProgress();
    void workDone();

    AppContext &m_context;
    QFutureWatcher<Outcome> m_watcher;
    QTimer m_progressDelay;
    QString m_progressLabel;
    QPointer<QProgressDialog> m_progress;
    std::function<void()> m_workGate;
    bool m_busy = false;
};

} // namespace tunora
