#include "support/songfolder.h"
#include "support/filepaths.h"
#include "support/windowfixture.h"

#include "app/controls/artwork.h"
#include "app/controls/menuskin.h"
#include "app/controls/playercontrol.h"
#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSet>
#include <QStringListModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <functional>

using namespace tunora;
using namespace tunora::test;

namespace {

const QString kC = QStringLiteral("c.wma");
const QString kB = QStringLiteral("b.mp3");
const QString kA = QStringLiteral("a.mp3");

QString songLabel(const QString &name)
{
    return QStringLiteral(u"歌曲名：") + name;
}

// A user's double-click: the first click selects, the second press makes it a double-click.
void doubleClick(QAbstractItemView *view, int row)
{
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

// The song-file list reads c.wma, b.mp3, a.mp3 from the top; playlist items likewise.
class Playback : public WindowFixture {
protected:
    SongFolder songs;

    void startWith(const QString &extraSettings = {}, const QString &format = QStringLiteral("mp3,wma"))
    {
        songs.addFiles({kA, kB, kC});
        writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + songs.path() + QStringLiteral(u"\r\n[音乐格式]\r\n格式=")
                         + format + QStringLiteral("\r\n") + extraSettings);
        start();
        m_player.clearLog();
    }
    void startInRandomMode() { startWith(QStringLiteral(u"[播放方式]\r\n参数=随机\r\n")); }

    // Focus is only reported inside the active window.
    void focus(QWidget *widget)
    {
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        widget->setFocus();
        ASSERT_TRUE(widget->hasFocus());
    }

    int selectedEntry() const
    {
        const QModelIndexList rows = m_window->ui().songFileList->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void selectEntry(int row) { ui().songFileList->setCurrentIndex(ui().songFiles->index(row)); }
    void selectSongRow(int row) { ui().songListView->setCurrentIndex(ui().songList->index(row, 0)); }
    int playItemCalls() const
    {
        int count = 0;
        for (const QString &call : m_player.log())
            count += call.startsWith(QStringLiteral("playItem")) ? 1 : 0;
        return count;
    }
    int playPauseIcon() { return MenuSkin::itemIcon(ui().playPauseItem); }
    void addRow(const QString &name, const QString &start, const QString &end)
    {
        ui().songList->insertSong(0, name);
        ui().songList->setCell(0, SongListModel::Start, start);
        ui().songList->setCell(0, SongListModel::End, end);
    }
    // What a player that reports its switches later does once the program's request is done.
    void playerReportsASwitch()
    {
        m_player.emitPlayState(PlayState::Transitioning);
        m_player.emitMediaOpen();
        m_player.emitPlayState(PlayState::Playing);
    }
};

TEST_F(Playback, DoubleClickingAnEntryPlaysItsItemAndTheLabelFollowsTheOpenedMedia)
{
    startWith();
    m_player.synchronousEvents = false;
    doubleClick(ui().songFileList, 1);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 1")}));
    // Play entry writes no label; the player's report does.
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(QString()));
    m_player.emitMediaOpen();
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(kB));
    EXPECT_EQ(selectedEntry(), 1);
}

TEST_F(Playback, OnlyALeftDoubleClickPlaysOnEitherList)
{
    startWith();
    addRow(kB, QStringLiteral("12.5"), QStringLiteral("20"));
    struct Case {
        const char *name;
        QAbstractItemView *view;
        int rowOfB;
        QStringList leftDoubleClickPlays;
    };
    const Case cases[] = {
        {"song-file list", ui().songFileList, 1, {QStringLiteral("playItem 1")}},
        {"song list", ui().songListView, 0, {QStringLiteral("playItem 1"), QStringLiteral("setCurrentPosition 12.5")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint at = c.view->visualRect(c.view->model()->index(c.rowOfB, 0)).center();
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            SCOPED_TRACE(int(button));
            m_player.clearLog();
            QTest::mouseClick(c.view->viewport(), button, {}, at);
            QTest::mouseDClick(c.view->viewport(), button, {}, at);
            QTest::mouseRelease(c.view->viewport(), button, {}, at);
            EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
            EXPECT_FALSE(window().context().endMarkTimer->isArmed());
            EXPECT_EQ(ui().songNameLabel->text(), songLabel(QString()));
        }
        m_player.clearLog();
        QTest::mouseClick(c.view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(c.view->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(m_player.log(), c.leftDoubleClickPlays);
        EXPECT_EQ(ui().songNameLabel->text(), songLabel(kB));
        m_player.stop();
        ui().songNameLabel->setName(QString());
        window().context().endMarkTimer->disarm();
    }
}

TEST_F(Playback, SelectingAnEntryByProgramOrSingleClickPlaysNothing)
{
    startWith();
    selectEntry(2);
    QTest::mouseClick(ui().songFileList->viewport(), Qt::LeftButton, {},
                      ui().songFileList->visualRect(ui().songFiles->index(1)).center());
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(Playback, InLoopModeTheLabelAndSelectionFollowThePlayersOwnAdvance)
{
    startWith();
    doubleClick(ui().songFileList, 0);
    m_player.clearLog();
    for (int expected : {1, 2, 0}) {
        m_player.finishCurrentByItself();
        EXPECT_EQ(selectedEntry(), expected);
        EXPECT_EQ(ui().songNameLabel->text(), songLabel(ui().songFiles->index(expected).data().toString()));
    }
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(Playback, MediaOpenedSelectsTheLastEqualEntryAndIgnoresUnknownSongsAndOtherStates)
{
    startWith({}, QStringLiteral("mp3,mp3")); // b, a, b, a
    m_player.playItem(1);
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(kA));
    EXPECT_EQ(selectedEntry(), 3);

    m_player.setPlaylist(filePaths({QStringLiteral("/elsewhere/zz.mp3"), QStringLiteral("no-folder.mp3")}));
    for (int item : {0, 1}) {
        m_player.playItem(item);
        EXPECT_EQ(ui().songNameLabel->text(), songLabel(kA));
        EXPECT_EQ(selectedEntry(), 3);
    }
    // A name without any folder is the whole source.
    session().setSongs(filePaths({QStringLiteral("no-folder.mp3")}));
    m_player.playItem(0);
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(QStringLiteral("no-folder.mp3")));
    // Only MediaOpen counts.
    ui().songNameLabel->setName(kB);
    Q_EMIT m_player.openStateChanged(OpenState::Undefined);
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(kB));
}

TEST_F(Playback, SongListDoubleClickPlaysTheRowFromItsStartMarkAndArmsTheTimer)
{
    startWith();
    addRow(kB, QStringLiteral("12.5"), QStringLiteral("20"));
    addRow(kA, QString(), QStringLiteral("7"));
    struct Case { int row; QString song; int item; QString start; QString end; double position; };
    const Case cases[] = {
        {1, kB, 1, QStringLiteral("12.5"), QStringLiteral("20"), 12.5},
        {0, kA, 2, QString(), QStringLiteral("7"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.song.toStdString());
        window().context().endMarkTimer->disarm();
        m_player.clearLog();
        doubleClick(ui().songListView, c.row);
        EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem ") + QString::number(c.item),
                                               QStringLiteral("setCurrentPosition ") + QString::number(c.position)}));
        EXPECT_EQ(selectedEntry(), c.item);
        EXPECT_EQ(ui().songNameLabel->text(), songLabel(c.song));
        EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：") + c.start);
        EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：") + c.end);
        EXPECT_TRUE(window().context().endMarkTimer->isArmed());
    }
}

TEST_F(Playback, TheStartMarkIsReadInSinglePrecision)
{
    startWith();
    addRow(kB, QStringLiteral("83.46"), QStringLiteral("90"));
    selectSongRow(0);
    window().context().endMarkTimer->disarm();
    doubleClick(ui().songListView, 0);
    EXPECT_EQ(m_player.currentPosition(), double(83.46f));
    EXPECT_NE(m_player.currentPosition(), 83.46);
}

TEST_F(Playback, PlaySelectedRowSelectsTheLastEqualEntry)
{
    startWith({}, QStringLiteral("mp3,mp3")); // b, a, b, a
    addRow(kB, QStringLiteral("1"), QStringLiteral("2"));
    doubleClick(ui().songListView, 0);
    EXPECT_EQ(m_player.log().first(), QStringLiteral("playItem 2"));
    EXPECT_EQ(selectedEntry(), 2);
}

TEST_F(Playback, ARowNotInTheSongFileListPlaysThePreviousSelection)
{
    startWith();
    addRow(QStringLiteral("gone.mp3"), QStringLiteral("3"), QStringLiteral("9"));
    selectEntry(2);
    m_player.synchronousEvents = false;
    doubleClick(ui().songListView, 0);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 2"), QStringLiteral("setCurrentPosition 3")}));
    // The labels show the row first; once the player opens the song, songNameLabel names it.
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(QStringLiteral("gone.mp3")));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：3"));
    m_player.emitMediaOpen();
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(kA));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：3"));
}

TEST_F(Playback, ARowNotInTheListWithNoSelectionPlaysNothing)
{
    startWith();
    addRow(QStringLiteral("gone.mp3"), QStringLiteral("3"), QStringLiteral("9"));
    doubleClick(ui().songListView, 0);
    EXPECT_EQ(playItemCalls(), 0) << m_player.log().join(u',').toStdString();
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(QStringLiteral("gone.mp3")));
    EXPECT_EQ(selectedEntry(), -1);
}

TEST_F(Playback, SongListDoubleClickWithoutSelectedRowDoesNothing)
{
    startWith();
    addRow(kB, QStringLiteral("1"), QStringLiteral("2"));
    // A double-click whose row is no longer selected (a control-click took it away).
    ui().songListView->clearSelection();
    Q_EMIT ui().songListView->doubleClicked(ui().songList->index(0, 0));
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间："));
    EXPECT_FALSE(window().context().endMarkTimer->isArmed());
}

TEST_F(Playback, PlayAndPauseFollowThePlayStateWithTheItemIcon)
{
    startWith();
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Play));
    doubleClick(ui().songFileList, 0);
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Pause));
    m_player.clearLog();

    ui().playPauseItem->trigger();
    EXPECT_EQ(m_player.playState(), PlayState::Paused);
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Play));
    ui().playPauseItem->trigger();
    EXPECT_EQ(m_player.playState(), PlayState::Playing);
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Pause));
    ui().playPauseItem->trigger();
    ui().stopItem->trigger(); // stop while paused
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Play));
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("pause"), QStringLiteral("play"), QStringLiteral("pause"),
                                           QStringLiteral("stop")}));
}

TEST_F(Playback, PlayPauseSetsItsIconEvenWhenThePlayerReportsNothing)
{
    startWith();
    m_player.synchronousEvents = false;
    ui().playPauseItem->trigger(); // not playing: play
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Pause));
    m_player.setPlayState(PlayState::Playing);
    ui().playPauseItem->trigger();
    EXPECT_EQ(playPauseIcon(), int(MenuIcon::Play));
}

TEST_F(Playback, PlayStateIconRulesAndTheFocusStaysWhereTheUserPutIt)
{
    startWith();
    struct Case { PlayState state; int icon; };
    const Case cases[] = {
        {PlayState::Playing, int(MenuIcon::Pause)}, {PlayState::Transitioning, int(MenuIcon::Pause)},
        {PlayState::Undefined, int(MenuIcon::Pause)}, {PlayState::Paused, int(MenuIcon::Play)},
        {PlayState::Transitioning, int(MenuIcon::Play)}, {PlayState::Playing, int(MenuIcon::Pause)},
        {PlayState::Stopped, int(MenuIcon::Play)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.state));
        focus(ui().markStartButton);
        m_player.emitPlayState(c.state);
        EXPECT_EQ(playPauseIcon(), c.icon);
        EXPECT_TRUE(ui().markStartButton->hasFocus());
    }
    for (QWidget *box : {static_cast<QWidget *>(ui().searchBox), static_cast<QWidget *>(ui().startEntryBox),
                         static_cast<QWidget *>(ui().stepBox), static_cast<QWidget *>(ui().songFileList),
                         static_cast<QWidget *>(ui().songListView)}) {
        SCOPED_TRACE(box->objectName().toStdString());
        focus(box);
        m_player.emitPlayState(PlayState::Playing);
        EXPECT_TRUE(box->hasFocus());
    }
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(Playback, NextAndPreviousInLoopModeAreThePlayers)
{
    startWith();
    ui().nextItem->trigger();
    ui().previousItem->trigger();
    ui().previousItem->trigger();
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("next"), QStringLiteral("previous"), QStringLiteral("previous")}));
    // First item, then wrapping round to the last, then one up.
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(kB));
}

TEST_F(Playback, ThePlayerFacesSkipButtonsInLoopModeAreThePlayers)
{
    startWith();
    QTest::mouseClick(ui().playerFace->nextButton(), Qt::LeftButton);
    QTest::mouseClick(ui().playerFace->previousButton(), Qt::LeftButton);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("next"), QStringLiteral("previous")}));
}

TEST_F(Playback, InRandomModeNextAndPreviousPickFromTheList)
{
    songs.addFile(QStringLiteral("only.mp3"));
    writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + songs.path()
                     + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n[播放方式]\r\n参数=随机\r\n"));
    start();
    m_player.clearLog();
    ui().nextItem->trigger();
    ui().previousItem->trigger();
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 0"), QStringLiteral("playItem 0")}));
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(QStringLiteral("only.mp3")));
}

TEST_F(Playback, ARandomPickWithAnEmptyListStartsNothing)
{
    writeSettingsGbk(QStringLiteral(u"[播放方式]\r\n参数=随机\r\n"));
    start();
    m_player.setPlaylist(filePaths({QStringLiteral("/x/stray.mp3")})); // not in the song-file list
    ui().nextItem->trigger();
    ui().previousItem->trigger();
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(Playback, StartUpAutoPlayPlaysTheFirstItemInLoopMode)
{
    songs.addFiles({kA, kB, kC});
    writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + songs.path()
                     + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3,wma\r\n[自动播放]\r\n参数=自动\r\n"));
    start();
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("next"), QStringLiteral("play")}));
    EXPECT_EQ(m_player.playState(), PlayState::Playing);
    EXPECT_EQ(selectedEntry(), 0);
    EXPECT_EQ(ui().songNameLabel->text(), songLabel(kC));
}

TEST_F(Playback, StartUpAutoPlayPicksARandomSongInRandomMode)
{
    songs.addFiles({kA, kB, kC});
    writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + songs.path()
                     + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3,wma\r\n[自动播放]\r\n参数=自动\r\n[播放方式]\r\n参数=随机\r\n"));
    start();
    ASSERT_EQ(m_player.log().size(), 2);
    EXPECT_TRUE(m_player.log().first().startsWith(QStringLiteral("playItem ")));
    EXPECT_EQ(m_player.log().last(), QStringLiteral("play"));
    EXPECT_EQ(m_player.playState(), PlayState::Playing);
    EXPECT_EQ(selectedEntry(), m_player.currentIndex());
}

class RandomMode : public Playback {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 20; ++i)
            songs.addFile(QStringLiteral("song%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
        startInRandomMode();
        ASSERT_TRUE(ui().randomItem->isChecked());
        ASSERT_EQ(ui().songFiles->rowCount(), 23);
    }
};

TEST_F(RandomMode, ADoubleClickPlaysTheSongClicked)
{
    for (int row : {4, 17}) {
        SCOPED_TRACE(row);
        m_player.clearLog();
        doubleClick(ui().songFileList, row);
        EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem ") + QString::number(row)}));
        EXPECT_EQ(m_player.currentIndex(), row);
        EXPECT_EQ(selectedEntry(), row);
        EXPECT_EQ(ui().songNameLabel->text(), songLabel(ui().songFiles->index(row).data().toString()));
    }
}

TEST_F(RandomMode, ASongThatEndsByItselfIsFollowedByOneRandomSong)
{
    doubleClick(ui().songFileList, 0);
    focus(ui().playerFace);
    QSet<int> picks;
    for (int round = 0; round < 30; ++round) {
        m_player.clearLog();
        m_player.finishCurrentByItself();
        ASSERT_EQ(m_player.log().size(), 1) << m_player.log().join(u',').toStdString();
        const int item = m_player.log().first().section(u' ', 1).toInt();
        picks.insert(item);
        EXPECT_EQ(m_player.currentIndex(), item);
        EXPECT_EQ(selectedEntry(), item);
        EXPECT_EQ(ui().songNameLabel->text(), songLabel(ui().songFiles->index(item).data().toString()));
    }
    // Thirty picks from 23 songs that all landed on one or two would be a broken generator.
    EXPECT_GT(picks.size(), 5);
}

TEST_F(RandomMode, ThePlayerFacesSkipButtonsPickARandomSong)
{
    m_player.playItem(0);
    focus(ui().playerFace);
    QSet<int> picks;
    for (QToolButton *button : {ui().playerFace->nextButton(), ui().playerFace->previousButton()}) {
        for (int round = 0; round < 10; ++round) {
            m_player.clearLog();
            QTest::mouseClick(button, Qt::LeftButton);
            ASSERT_EQ(m_player.log().size(), 1) << m_player.log().join(u',').toStdString();
            ASSERT_TRUE(m_player.log().first().startsWith(QStringLiteral("playItem "))) << m_player.log().first().toStdString();
            const int item = m_player.log().first().section(u' ', 1).toInt();
            picks.insert(item);
            EXPECT_EQ(m_player.currentIndex(), item);
            EXPECT_EQ(selectedEntry(), item);
        }
    }
    // Twenty skips through 23 songs that all land on one or two are no random picks.
    EXPECT_GT(picks.size(), 4);
}

TEST_F(RandomMode, WhenTheWindowIsNotActiveTheOwnAdvanceIsRandomToo)
{
    ASSERT_FALSE(window().isActiveWindow());
    m_player.playItem(0);
    m_player.clearLog();
    m_player.finishCurrentByItself();
    EXPECT_EQ(playItemCalls(), 1) << m_player.log().join(u',').toStdString();
}

// The player's own move to the next song is answered with one random pick wherever the
// focus is, and the focus stays there: a keyboard user goes on from the list.
TEST_F(RandomMode, ASongThatEndsOnItsOwnIsFollowedAtRandomWhereverTheFocusIs)
{
    m_player.playItem(0);
    for (QWidget *control : {static_cast<QWidget *>(ui().songFileList), static_cast<QWidget *>(ui().songListView),
                             static_cast<QWidget *>(ui().endPreviewButton), static_cast<QWidget *>(ui().playerFace)}) {
        SCOPED_TRACE(control->objectName().toStdString());
        focus(control);
        m_player.clearLog();
        m_player.finishCurrentByItself();
        EXPECT_EQ(playItemCalls(), 1) << m_player.log().join(u',').toStdString();
        EXPECT_EQ(selectedEntry(), m_player.currentIndex());
        EXPECT_TRUE(control->hasFocus());
    }
}

TEST_F(RandomMode, NoRandomPickAnswersASwitchTheProgramAskedFor)
{
    // A player that reports Transitioning for every switch, after the request returns.
    m_player.synchronousEvents = false;
    addRow(QStringLiteral("song05.mp3"), QStringLiteral("1"), QStringLiteral("50"));
    const std::function<void()> requests[] = {
        [this] { ui().nextItem->trigger(); },
        [this] { ui().previousItem->trigger(); },
        [this] { doubleClick(ui().songFileList, 7); },
        [this] { doubleClick(ui().songListView, 0); },
        [this] { selectSongRow(0); ui().endPreviewButton->click(); },
    };
    int round = 0;
    for (const auto &request : requests) {
        SCOPED_TRACE(round++);
        focus(ui().playerFace);
        m_player.clearLog();
        request();
        playerReportsASwitch();
        EXPECT_EQ(playItemCalls(), 1) << m_player.log().join(u',').toStdString();
        EXPECT_EQ(selectedEntry(), m_player.currentIndex());
    }
    // The player's own advance afterwards is still answered, once.
    focus(ui().playerFace);
    m_player.clearLog();
    m_player.finishCurrentByItself();
    EXPECT_EQ(playItemCalls(), 1) << m_player.log().join(u',').toStdString();
}

// A picked file that cannot be played: the player says so and moves on by itself, and that
// move is answered with a random pick as the end of a song is, among the songs not yet found
// unplayable; once every one has failed the player's own round ends it.
TEST_F(RandomMode, UnplayableSongsAreEachTriedOnceThenNothingMore)
{
    m_player.synchronousEvents = false;
    const int count = ui().songFiles->rowCount();
    ui().nextItem->trigger();
    QSet<int> tried{m_player.currentIndex()};
    for (int attempt = 1; attempt < count; ++attempt) {
        Q_EMIT m_player.openStateChanged(OpenState::MediaFailed);
        m_player.clearLog();
        Q_EMIT m_player.advancingByItself();
        ASSERT_EQ(playItemCalls(), 1) << m_player.log().join(u',').toStdString();
        EXPECT_FALSE(tried.contains(m_player.currentIndex())) << "tried again: " << m_player.currentIndex();
        tried.insert(m_player.currentIndex());
    }
    Q_EMIT m_player.openStateChanged(OpenState::MediaFailed);
    m_player.clearLog();
    Q_EMIT m_player.advancingByItself();
    EXPECT_EQ(playItemCalls(), 0) << m_player.log().join(u',').toStdString();

    // A song that plays makes every song a candidate again.
    m_player.emitPlayState(PlayState::Playing);
    Q_EMIT m_player.advancingByItself();
    EXPECT_EQ(playItemCalls(), 1);
}

// Keys typed at two a second while two-second songs follow each other: every key lands in
// the box typed into, in loop and in random mode, and random mode still picks at each end.
TEST_F(RandomMode, KeysTypedWhileSongsChangeAllLandInTheBox)
{
    struct Case {
        QWidget *box;
        QLineEdit *edit;
        QString keys;
    };
    const Case cases[] = {
        {ui().searchBox, ui().searchBox->lineEdit(), QStringLiteral("song0 love 1")},
        {ui().startEntryBox, ui().startEntryBox, QStringLiteral("123.45")},
    };
    for (bool random : {false, true}) {
        (random ? ui().randomItem : ui().loopItem)->trigger();
        ASSERT_EQ(ui().randomItem->isChecked(), random);
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(random ? "random: " : "loop: ") + c.box->objectName().toStdString());
            m_player.playItem(0);
            focus(c.box);
            c.edit->clear();
            for (int i = 0; i < c.keys.size(); ++i) {
                // Keys go wherever the focus is now, as a keyboard's do.
                QTest::keyClick(QApplication::focusWidget(), c.keys.at(i).toLatin1());
                if (i % 4 == 3) {
                    m_player.clearLog();
                    m_player.finishCurrentByItself();
                    EXPECT_EQ(playItemCalls(), random ? 1 : 0) << m_player.log().join(u',').toStdString();
                }
            }
            EXPECT_EQ(c.edit->text().toStdString(), c.keys.toStdString());
            EXPECT_TRUE(c.box->hasFocus());
        }
    }
}
