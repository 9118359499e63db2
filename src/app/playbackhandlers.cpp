#include "playbackhandlers.h"

#include "appcontext.h"
#include "artwork.h"
#include "leftdoubleclick.h"
#include "listselection.h"
#include "mainwindowui.h"
#include "menuskin.h"
#include "playercontrol.h"

#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"
#include "platform/engine/mediaplayer.h"
#include "platform/numbers/numbers.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTreeView>

namespace tunora {

namespace {

// A box the user types into: the search box, the 定位 boxes, the step boxes.
bool isTypingBox(const QWidget *widget)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->isEditable(); // the search box takes the focus for its edit field
    const auto *box = qobject_cast<const QLineEdit *>(widget);
    return box && !box->isReadOnly();
}

} // namespace

PlaybackHandlers::PlaybackHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_random(std::random_device{}())
{
    MainWindowUi &ui = m_context.ui;
    // Only the user's left double-click plays; the program's selection changes never do.
    acceptOnlyLeftDoubleClicks(ui.songFileList);
    acceptOnlyLeftDoubleClicks(ui.songListView);
    connect(ui.songFileList, &QListView::doubleClicked, this, &PlaybackHandlers::playEntry);
    connect(ui.songListView, &QTreeView::doubleClicked, this, &PlaybackHandlers::songListDoubleClicked);
    connect(ui.playPauseItem, &QAction::triggered, this, &PlaybackHandlers::onPlayPauseChosen);
    connect(ui.stopItem, &QAction::triggered, this, &PlaybackHandlers::onStopChosen);
    connect(ui.previousItem, &QAction::triggered, this, &PlaybackHandlers::previousSong);
    connect(ui.nextItem, &QAction::triggered, this, &PlaybackHandlers::nextSong);
    connect(&m_context.player, &MediaPlayer::openStateChanged, this, &PlaybackHandlers::openStateChanged);
    connect(&m_context.player, &MediaPlayer::playStateChanged, this, &PlaybackHandlers::playStateChanged);
}

void PlaybackHandlers::switchToItem(int index)
{
    if (index < 0 || index >= m_context.player.itemCount())
        return; // the player ignores it: nothing will open
    m_programSwitchPending = true;
    m_context.player.playItem(index);
}

void PlaybackHandlers::switchToNext()
{
    if (m_context.player.itemCount() > 0)
        m_programSwitchPending = true;
    m_context.player.next();
}

void PlaybackHandlers::switchToPrevious()
{
    if (m_context.player.itemCount() > 0)
        m_programSwitchPending = true;
    m_context.player.previous();
}

void PlaybackHandlers::playEntry()
{
    switchToItem(selectedRow(m_context.ui.songFileList));
}

void PlaybackHandlers::playSelectedRow()
{
    MainWindowUi &ui = m_context.ui;
    const int row = selectedRow(ui.songListView);
    const QString name = ui.songList->cell(row, SongListModel::Name);

    const QStringList entries = ui.songFiles->stringList();
    int match = -1;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i] == name)
            match = i; // the last equal entry, as a top-down pass selecting each would leave it
    }
    if (match >= 0)
        selectRow(ui.songFileList, match);

    ui.songNameLabel->setName(name);
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
    m_context.player.setCurrentPosition(double(start));
}

void PlaybackHandlers::randomPick()
{
    const int count = m_context.ui.songFiles->rowCount();
    if (count == 0)
        return;
    std::uniform_int_distribution<int> pick(0, count - 1);
    selectRow(m_context.ui.songFileList, pick(m_random));
    playEntry();
}

void PlaybackHandlers::nextSong()
{
    if (m_context.ui.randomItem->isChecked())
        randomPick();
    else
        switchToNext();
}

void PlaybackHandlers::previousSong()
{
    if (m_context.ui.randomItem->isChecked())
        randomPick();
    else
        switchToPrevious();
}

void PlaybackHandlers::onPlayPauseChosen()
{
    if (m_context.player.playState() == PlayState::Playing) {
        m_context.player.pause();
        MenuSkin::setItemIcon(m_context.ui.playPauseItem, MenuIcon::Play);
    } else {
        m_context.player.play();
        MenuSkin::setItemIcon(m_context.ui.playPauseItem, MenuIcon::Pause);
    }
}

void PlaybackHandlers::onStopChosen()
{
    m_context.player.stop();
}

void PlaybackHandlers::openStateChanged(OpenState newState)
{
    if (newState == OpenState::MediaFailed) {
        // The player passes over it as over a finished song, and its move on is its own.
        m_programSwitchPending = false;
        return;
    }
    if (newState != OpenState::MediaOpen)
        return;
    m_programSwitchPending = false;
    MainWindowUi &ui = m_context.ui;
    const QString source = m_context.player.currentSourceUrl();
    const QString song = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    const QStringList entries = ui.songFiles->stringList();
    int match = -1;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i] == song)
            match = i;
    }
    if (match < 0)
        return;
    selectRow(ui.songFileList, match);
    ui.songNameLabel->setName(entries[match]);
}

bool PlaybackHandlers::randomAdvanceWanted() const
{
    const MainWindowUi &ui = m_context.ui;
    if (!ui.randomItem->isChecked() || m_programSwitchPending)
        return false;
    // A control the user has just started a song from still holds the focus: the player's
    // own choice stands then.
    return !ui.songFileList->hasFocus() && !ui.songListView->hasFocus() && !ui.endPreviewButton->hasFocus();
}

void PlaybackHandlers::playStateChanged(PlayState state)
{
    MainWindowUi &ui = m_context.ui;
    if (state == PlayState::Stopped || state == PlayState::Paused)
        MenuSkin::setItemIcon(ui.playPauseItem, MenuIcon::Play);
    if (state == PlayState::Playing)
        MenuSkin::setItemIcon(ui.playPauseItem, MenuIcon::Pause);
    if (state == PlayState::Stopped)
        m_programSwitchPending = false; // a switch that failed to open ends here
    if (state == PlayState::Transitioning && randomAdvanceWanted())
        randomPick();
    // The player takes the focus so that the random advance can tell the player's own switch
    // from the user's; but keys typed into a box while songs change must all land there.
    if (!isTypingBox(ui.playerFace->window()->focusWidget()))
        ui.playerFace->setFocus();
}

} // namespace tunora
