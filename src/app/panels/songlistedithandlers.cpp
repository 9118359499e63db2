#include "app/panels/songlistedithandlers.h"

#include "app/window/appcontext.h"
#include "app/controls/listselection.h"
#include "app/window/mainwindowui.h"

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
    connect(ui.songListView, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QTreeView *list = m_context.ui.songListView;
        showEditMenu(list->viewport()->mapToGlobal(pos));
    });
    connect(ui.moveUpItem, &QAction::triggered, this, [this] { moveRow(RowMove::Up); });
    connect(ui.moveDownItem, &QAction::triggered, this, [this] { moveRow(RowMove::Down); });
    connect(ui.deleteRowItem, &QAction::triggered, this, &SongListEditHandlers::deleteSelectedRow);
    connect(ui.clearListItem, &QAction::triggered, this, &SongListEditHandlers::clearList);
}

bool SongListEditHandlers::showEditMenu(const QPoint &globalPos)
{
    if (selectedRow(m_context.ui.songListView) == -1)
        return false;
    m_context.ui.songListMenu->popup(globalPos);
    return true;
}

void SongListEditHandlers::moveRow(RowMove move)
{
    SongListModel &songs = *m_context.ui.songList;
    if (!exchangeWithNeighbour(songs, selectedRow(m_context.ui.songListView), move))
        return;
    refreshCutLengths(songs);
}

void SongListEditHandlers::deleteSelectedRow()
{
    QTreeView *list = m_context.ui.songListView;
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
