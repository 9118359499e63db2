#include "cuttinghandlers.h"

#include "appcontext.h"
#include "listselection.h"
#include "mainwindowui.h"

#include "cutting/cutengine.h"
#include "app/cuttingmessages.h"
#include "cutting/mergeengine.h"
#include "library/songlistmodel.h"
#include "app/desktop.h"
#include "platform/files/hostpaths.h"

#include <QPushButton>
#include <QTreeView>

namespace tunora {

namespace {

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

} // namespace

CuttingHandlers::CuttingHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    MainWindowUi &ui = m_context.ui;
    connect(ui.按钮5, &QPushButton::clicked, this, &CuttingHandlers::cutSelected);
    connect(ui.按钮9, &QPushButton::clicked, this, &CuttingHandlers::cutAll);
    connect(ui.按钮1, &QPushButton::clicked, this, &CuttingHandlers::mergeAll);
}

void CuttingHandlers::cutSelected()
{
    const MainWindowUi &ui = m_context.ui;
    const int row = selectedRow(ui.超级列表框1);
    if (row == -1)
        return;
    const OutputDirs dirs = outputDirs(m_context);
    const CutOutcome outcome = cutOne(m_context.songFolder, songRow(*ui.songList, row), dirs);
    if (const std::optional<Notice> notice = cutOneNotice(outcome, dirs.workDir))
        tell(*notice);
}

void CuttingHandlers::cutAll()
{
    const MainWindowUi &ui = m_context.ui;
    const OutputDirs dirs = outputDirs(m_context);
    tell(cutAllNotice(tunora::cutAll(m_context.songFolder, allRows(*ui.songList), dirs), dirs.workDir));
}

void CuttingHandlers::mergeAll()
{
    const MainWindowUi &ui = m_context.ui;
    const OutputDirs dirs = outputDirs(m_context);
    const MergeOutcome outcome = tunora::mergeAll(m_context.songFolder, allRows(*ui.songList), dirs);
    if (const std::optional<Notice> notice = mergeNotice(outcome, dirs.workDir))
        tell(*notice);
}

void CuttingHandlers::tell(const Notice &notice)
{
    m_context.desktop.showMessage(notice.text, notice.style, notice.title);
}

} // namespace tunora
