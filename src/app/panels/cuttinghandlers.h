#pragma once

#include "app/panels/cuttingmessages.h"
#include "cutting/rowprogress.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QProgressBar;
class QProgressDialog;

namespace tunora {

struct AppContext;

// The buttons of 剪切工具 that write files: cutSelectedButton cuts the selected row, cutAllButton every row,
// mergeAllButton merges all rows into one file. The song folder, the rows and the output folders are
// taken at the click; the work runs on a worker thread, so the window keeps answering, and
// its outcome is told when it is over. Work that lasts shows a progress dialog, modal to the
// window, which counts the rows done when every row is cut or merged; a click while a cut runs
// starts nothing. Quitting meanwhile lets the running work
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
    // Runs on the worker after each row of a cut or merge of all rows, likewise.
    void setRowGate(std::function<void()> gate) { m_rowGate = std::move(gate); }

Q_SIGNALS:
    // A cut's work is over and its outcome told.
    void finished();

private:
    using Outcome = std::optional<Notice>;
    using Work = std::function<Outcome(const RowProgress &)>;
    // `rows`: how many rows the work goes through, counted in the dialog; 0 for one cut.
    void run(Work work, const QString &label, int rows = 0);
    void showProgress();
    void showRowsDone();
    void workDone();

    AppContext &m_context;
    QFutureWatcher<Outcome> m_watcher;
    QTimer m_progressDelay;
    QTimer m_rowsPoll;
    QString m_progressLabel;
    QPointer<QProgressDialog> m_progress;
    QPointer<QProgressBar> m_progressBar;
    int m_rows = 0;
    // Written by the worker, read by the poll: the worker never touches a widget.
    std::shared_ptr<std::atomic<int>> m_rowsDone;
    std::function<void()> m_workGate;
    std::function<void()> m_rowGate;
    bool m_busy = false;
};

} // namespace tunora
