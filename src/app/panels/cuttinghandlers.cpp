#include "app/panels/cuttinghandlers.h"

#include "app/window/appcontext.h"
#include "app/controls/listselection.h"
#include "app/window/mainwindowui.h"

#include "app/desktop/desktop.h"
#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"
#include "library/songlistmodel.h"
#include "platform/files/hostpaths.h"
#include "platform/tasks/poolhandover.h"

#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThreadPool>
#include <QTreeView>

namespace tunora {

namespace {

// Work over in less time than this shows no progress dialog.
constexpr int kProgressDelayMs = 500;
// How often the dialog's count of rows is brought up to date.
constexpr int kRowsPollMs = 100;

SongRow songRow(const SongListModel &songs, int row)
{
    return {songs.cell(row, SongListModel::Name), songs.cell(row, SongListModel::Start),
            songs.cell(row, SongListModel::End), songs.cell(row, SongListModel::CutLength),
            songs.cell(row, SongListModel::SongLength)};
}

QList<SongRow> allRows(const SongListModel &songs)
{
    QList<SongRow> rows;
    rows.reserve(songs.rowCount());
    for (int row = 0; row < songs.rowCount(); ++row)
        rows.append(songRow(songs, row));
    return rows;
}

// The directories the outputs go through are read afresh at every click: the working
// directory may have changed.
OutputDirs outputDirs(const AppContext &context)
{
    return {currentFolder(), context.programDirectory};
}

// The effects' switches are their menu items' check states; their lengths are read from the
// settings file at each click, so a length edited by hand counts at once.
RingtoneEffects chosenEffects(const AppContext &context)
{
    RingtoneEffects effects = context.session.settings().ringtoneEffects();
    effects.fadeIn = context.ui.fadeInItem->isChecked();
    effects.fadeOut = context.ui.fadeOutItem->isChecked();
    effects.evenLoudness = context.ui.evenLoudnessItem->isChecked();
    return effects;
}

} // namespace

CuttingHandlers::CuttingHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    MainWindowUi &ui = m_context.ui;
    connect(ui.cutSelectedButton, &QPushButton::clicked, this, &CuttingHandlers::cutSelected);
    connect(ui.cutAllButton, &QPushButton::clicked, this, &CuttingHandlers::cutAll);
    connect(ui.mergeAllButton, &QPushButton::clicked, this, &CuttingHandlers::mergeAll);
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, &CuttingHandlers::workDone);
    m_progressDelay.setSingleShot(true);
    m_progressDelay.setInterval(kProgressDelayMs);
    connect(&m_progressDelay, &QTimer::timeout, this, &CuttingHandlers::showProgress);
    m_rowsPoll.setInterval(kRowsPollMs);
    connect(&m_rowsPoll, &QTimer::timeout, this, &CuttingHandlers::showRowsDone);
}

CuttingHandlers::~CuttingHandlers()
{
    // Work still running holds copies of all it needs, and its outcome goes nowhere.
    delete m_progress;
}

void CuttingHandlers::cutSelected()
{
    const MainWindowUi &ui = m_context.ui;
    const int row = selectedRow(ui.songListView);
    if (row == -1 || m_busy)
        return;
    run([folder = m_context.session.songFolder(), song = songRow(*ui.songList, row), dirs = outputDirs(m_context),
         effects = chosenEffects(m_context)](const RowProgress &) {
        const ShapedCut cut = cutOneShaped(folder, song, dirs, effects);
        return cutOneNotice(cut.outcome, dirs.workDir, cut.effects);
    }, QStringLiteral(u"正在剪切……"));
}

void CuttingHandlers::cutAll()
{
    if (m_busy)
        return;
    const QList<SongRow> rows = allRows(*m_context.ui.songList);
    run([folder = m_context.session.songFolder(), rows, dirs = outputDirs(m_context),
         effects = chosenEffects(m_context)](const RowProgress &progress) {
        return Outcome(cutAllNotice(tunora::cutAll(folder, rows, dirs, effects, progress), dirs.workDir));
    }, QStringLiteral(u"正在剪切……"), int(rows.size()));
}

void CuttingHandlers::mergeAll()
{
    if (m_busy)
        return;
    const QList<SongRow> rows = allRows(*m_context.ui.songList);
    run([folder = m_context.session.songFolder(), rows, dirs = outputDirs(m_context),
         effects = chosenEffects(m_context)](const RowProgress &progress) {
        return mergeNotice(tunora::mergeAll(folder, rows, dirs, effects, progress), dirs.workDir);
    }, QStringLiteral(u"正在合并……"), int(rows.size()));
}

void CuttingHandlers::run(Work work, const QString &label, int rows)
{
    m_busy = true;
    m_progressLabel = label;
    m_rows = rows;
    m_rowsDone = std::make_shared<std::atomic<int>>(0);
    m_progressDelay.start();
    RowProgress progress = [done = m_rowsDone, gate = m_rowGate](int rowsDone) {
        done->store(rowsDone);
        if (gate)
            gate();
    };
    // Qt's global pool: the application waits for it when it ends.
    m_watcher.setFuture(runOnPool(*QThreadPool::globalInstance(),
                                  [gate = m_workGate, work = std::move(work), progress = std::move(progress)] {
                                      if (gate)
                                          gate();
                                      return work(progress);
                                  }));
}

void CuttingHandlers::showProgress()
{
    QWidget *window = m_context.ui.cutSelectedButton->window();
    m_progress = new QProgressDialog(m_progressLabel, QString(), 0, 0, window);
    m_progress->setObjectName(QStringLiteral("cutProgress"));
    m_progress->setWindowTitle(window->windowTitle());
    m_progress->setCancelButton(nullptr); // the work cannot stop half way
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    if (m_rows > 0) {
        // The bar is set directly: the dialog's own setValue() runs the event loop when modal.
        m_progressBar = new QProgressBar(m_progress);
        m_progressBar->setRange(0, m_rows);
        m_progress->setBar(m_progressBar);
        showRowsDone();
        m_rowsPoll.start();
    }
    m_progress->show();
}

void CuttingHandlers::showRowsDone()
{
    if (!m_progress || !m_progressBar)
        return;
    const int done = m_rowsDone->load();
    m_progressBar->setValue(done);
    m_progress->setLabelText(m_progressLabel + u'\n' + rowProgressText(done, m_rows));
}

void CuttingHandlers::workDone()
{
    m_progressDelay.stop();
    m_rowsPoll.stop();
    delete m_progress;
    if (const Outcome notice = m_watcher.result())
        m_context.desktop.showMessage(notice->text, notice->style, notice->title);
    m_busy = false;
    Q_EMIT finished();
}

} // namespace tunora
