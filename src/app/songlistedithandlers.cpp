#include "songlistedithandlers.h"

#include "appcontext.h"
#include "listselection.h"
#include "mainwindowui.h"

#include "library/songlistmodel.h"
#include "marking/songmarks.h"

#include <QAction>
#include <QMenu>
#include <QTreeView>

namespace tunora {

SongListEditHandlers::SongListEditHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    MainWindowUi &ui = m_context.ui;
    // The list view has already selected the row under the mouse, if any, when it asks.
    connect(ui.超级列表框1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QTreeView *list = m_context.ui.超级列表框1;
        showEditMenu(list->viewport()->mapToGlobal(pos));
    });
    connect(ui.向上移动, &QAction::triggered, this, [this] { moveRow(RowMove::Up); });
    connect(ui.向下移动, &QAction::triggered, this, [this] { moveRow(RowMove::Down); });
    connect(ui.指点删除, &QAction::triggered, this, &SongListEditHandlers::deleteSelectedRow);
    connect(ui.清空列表, &QAction::triggered, this, &SongListEditHandlers::clearList);
}

bool SongListEditHandlers::showEditMenu(const QPoint &globalPos)
{
    if (selectedRow(m_context.ui.超级列表框1) == -1)
        return false;
    m_context.ui.合并菜单->popup(globalPos);
    return true;
}

void SongListEditHandlers::moveRow(RowMove move)
{
    SongListModel &songs = *m_context.ui.songList;
    if (!exchangeWithNeighbour(songs, selectedRow(m_context.ui.超级列表框1), move))
        return;
    refreshCutLengths(songs);
}

void SongListEditHandlers::deleteSelectedRow()
{
    QTreeView *list = m_context.ui.超级列表框1;
    const int row = selectedRow(list);
    if (row == -1)
        return;
    m_context.ui.songList->removeSong(row);
    // The view moves the selection to a neighbour the user never chose; a second delete,
    // a move or a cut would act on it.
    list->selectionModel()->clear();
}

void SongListEditHandlers::clearList()
{
    m_context.ui.songList->clearSongs();
}

} // namespace tunora
