#include "playbackhandlers.h"

#include "appcontext.h"
#include "mainwindowui.h"

#include "platform/mediaplayer.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QListView>
#include <QStringListModel>

namespace tunora {

PlaybackHandlers::PlaybackHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_random(std::random_device{}())
{
}

void PlaybackHandlers::playEntry()
{
    const QModelIndex selected = m_context.ui.列表框1->currentIndex();
    if (!selected.isValid())
        return;
    m_context.player.playItem(selected.row());
}

void PlaybackHandlers::randomPick()
{
    const int count = m_context.ui.songFiles->rowCount();
    if (count == 0)
        return;
    std::uniform_int_distribution<int> pick(0, count - 1);
    m_context.ui.列表框1->setCurrentIndex(m_context.ui.songFiles->index(pick(m_random)));
    playEntry();
}

void PlaybackHandlers::nextSong()
{
    if (m_context.ui.随机->isChecked())
        randomPick();
    else
        m_context.player.next();
}

void PlaybackHandlers::previousSong()
{
    if (m_context.ui.随机->isChecked())
        randomPick();
    else
        m_context.player.previous();
}

} // namespace tunora
