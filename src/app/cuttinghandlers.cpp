#include "cuttinghandlers.h"

#include "appcontext.h"
#include "listselection.h"
#include "mainwindowui.h"

#include "cutting/cutengine.h"
#include "cutting/cuttingmessages.h"
#include "cutting/mergeengine.h"
#include "cutting/songsource.h"
#include "library/songlistmodel.h"
#include "platform/desktop.h"
#include "platform/fileio.h"

#include <QLabel>
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

// The song folder as 标签2 shows it, and the directories the outputs go through, are read
// afresh at every click: the folder may have changed, and so may the working directory.
QString songFolder(const MainWindowUi &ui)
{
    return songFolderFromCaption(ui.标签2->text());
}

OutputDirs outputDirs(const AppContext &context)
{
    return {currentDirectory(), context.programDirectory};
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
    const CutOutcome outcome = cutOne(songFolder(ui), songRow(*ui.songList, row), outputDirs(m_context));
    if (const std::optional<Notice> notice = cutOneNotice(outcome))
        tell(*notice);
}

void CuttingHandlers::cutAll()
{
    const MainWindowUi &ui = m_context.ui;
    tell(cutAllNotice(tunora::cutAll(songFolder(ui), allRows(*ui.songList), outputDirs(m_context))));
}

void CuttingHandlers::mergeAll()
{
    const MainWindowUi &ui = m_context.ui;
    const MergeOutcome outcome = tunora::mergeAll(songFolder(ui), allRows(*ui.songList), outputDirs(m_context));
    if (const std::optional<Notice> notice = mergeNotice(outcome))
        tell(*notice);
}

void CuttingHandlers::tell(const Notice &notice)
{
    m_context.desktop.showMessage(notice.text, notice.style, notice.title);
}

} // namespace tunora
