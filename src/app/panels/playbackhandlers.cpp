#include "app/panels/playbackhandlers.h"

#include "app/window/appcontext.h"
#include "app/controls/leftdoubleclick.h"
#include "app/controls/listselection.h"
#include "app/window/mainwindowui.h"
#include "app/controls/menuskin.h"
#include "app/controls/artwork.h"

#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"
#include "platform/numbers/numbers.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QTreeView>

namespace tunora {

PlaybackHandlers::PlaybackHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    MainWindowUi &ui = m_context.ui;
    PlaybackSession &session = m_context.session;
    // Only the user's left double-click plays; the program's selection changes never do.
    acceptOnlyLeftDoubleClicks(ui.songFileList);
    acceptOnlyLeftDoubleClicks(ui.songListView);
    connect(ui.songFileList, &QListView::doubleClicked, this, &PlaybackHandlers::playEntry);
    connect(ui.songListView, &QTreeView::doubleClicked, this, &PlaybackHandlers::songListDoubleClicked);
    connect(ui.playPauseItem, &QAction::triggered, &session, &PlaybackSession::playPause);
    connect(ui.stopItem, &QAction::triggered, &session, &PlaybackSession::stop);
    connect(ui.previousItem, &QAction::triggered, &session, &PlaybackSession::previous);
    connect(ui.nextItem, &QAction::triggered, &session, &PlaybackSession::next);

    connect(&session, &PlaybackSession::entryChosen, this, [&ui](int entry) { selectRow(ui.songFileList, entry); });
    connect(&session, &PlaybackSession::currentSongChanged, ui.songNameLabel, &NameLabel::setName);
    connect(&session, &PlaybackSession::playPauseChosen, this, &PlaybackHandlers::showPlayPauseChosen);
    connect(&m_context.player, &MediaPlayer::playStateChanged, this, &PlaybackHandlers::showPlayState);
}

void PlaybackHandlers::playEntry()
{
    m_context.session.playItem(selectedRow(m_context.ui.songFileList));
}

void PlaybackHandlers::playSelectedRow()
{
    MainWindowUi &ui = m_context.ui;
    const int row = selectedRow(ui.songListView);
    const QString name = ui.songList->cell(row, SongListModel::Name);
    // The last equal entry, as a top-down pass selecting each would leave it; a song not in
    // the list leaves the selection, which then plays.
    if (const int match = m_context.session.lastIndexOfName(name); match >= 0)
        selectRow(ui.songFileList, match);

    m_context.session.setCurrentSongName(name);
    ui.startMarkLabel->setText(ui_text::kStartPrefix + ui.songList->cell(row, SongListModel::Start));
    ui.endMarkLabel->setText(ui_text::kEndPrefix + ui.songList->cell(row, SongListModel::End));
    playEntry();
    if (m_context.endMarkTimer)
        m_context.endMarkTimer->arm();
}

void PlaybackHandlers::songListDoubleClicked()
{
    MainWindowUi &ui = m_context.ui;
    const int row = selectedRow(ui.songListView);
    if (row < 0)
        return;
    playSelectedRow();
    const float start = numberFromText(ui.songList->cell(row, SongListModel::Start));
    m_context.session.seek(double(start));
}

void PlaybackHandlers::showPlayPauseChosen(bool playing)
{
    MenuSkin::setItemIcon(m_context.ui.playPauseItem, playing ? MenuIcon::Pause : MenuIcon::Play);
}

void PlaybackHandlers::showPlayState(PlayState state)
{
    if (state == PlayState::Stopped || state == PlayState::Paused)
        MenuSkin::setItemIcon(m_context.ui.playPauseItem, MenuIcon::Play);
    if (state == PlayState::Playing)
        MenuSkin::setItemIcon(m_context.ui.playPauseItem, MenuIcon::Pause);
}

} // namespace tunora
