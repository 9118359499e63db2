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

#include <QProgressDialog>
#include <QPushButton>
#include <QThreadPool>
#include <QTreeView>

namespace tunora {

namespace {

// Work over in less time than this shows no progress dialog.
constexpr int kProgressDelayMs = 500;

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
         effects = chosenEffects(m_context)] {
        const ShapedCut cut = cutOneShaped(folder, song, dirs, effects);
        return cutOneNotice(cut.outcome, dirs.workDir, cut.effects);
    }, QStringLiteral(u"正在剪切……"));
}

void CuttingHandlers::cutAll()
{
    if (m_busy)
        return;
    run([folder = m_context.session.songFolder(), rows = allRows(*m_context.ui.songList), dirs = outputDirs(m_context),
         effects = chosenEffects(m_context)] {
        return Outcome(cutAllNotice(tunora::cutAll(folder, rows, dirs, effects), dirs.workDir));
    }, QStringLiteral(u"正在剪切……"));
}

void CuttingHandlers::mergeAll()
{
    if (m_busy)
        return;
    run([folder = m_context.session.songFolder(), rows = allRows(*m_context.ui.songList), dirs = outputDirs(m_context),
         effects = chosenEffects(m_context)] {
        return mergeNotice(tunora::mergeAll(folder, rows, dirs, effects), dirs.workDir);
    }, QStringLiteral(u"正在合并……"));
}

void CuttingHandlers::run(std::function<Outcome()> work, const QString &label)
{
    m_busy = true;
    m_progressLabel = label;
    m_progressDelay.start();
    // Qt's global pool: the application waits for it when it ends.
    m_watcher.setFuture(runOnPool(*QThreadPool::globalInstance(), [gate = m_workGate, work = std::move(work)] {
        if (gate)
            gate();
        return work();
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
    m_progress->show();
}

void CuttingHandlers::workDone()
{
    m_progressDelay.stop();
    delete m_progress;
    if (const Outcome notice = m_watcher.result())
        m_context.desktop.showMessage(notice->text, notice->style, notice->title);
    m_busy = false;
    Q_EMIT finished();
}

} // namespace tunora
