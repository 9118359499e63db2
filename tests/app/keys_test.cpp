#include "support/windowfixture.h"
#include "support/filepaths.h"

#include "app/controls/menuskin.h"
#include "app/controls/spincontrol.h"
#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStringListModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace tunora;
using namespace tunora::test;

namespace {

const QString kB = QStringLiteral("b.mp3");

QString keyText(QKeyCombination key)
{
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

// An active window whose song-file list and playlist hold a.mp3, b.mp3 and c.mp3; b.mp3
// plays, 245.5 s long.
class Keys : public WindowFixture {
protected:
    void SetUp() override
    {
        start();
        session().setSongs(filePaths({QStringLiteral("/music/a.mp3"), QStringLiteral("/music/") + kB,
                                      QStringLiteral("/music/c.mp3")}));
        // Window shortcuts work only in the active window.
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        m_player.setDuration(245.5);
        m_player.playItem(1);
        m_player.clearLog();
    }

    // The key as the user presses it while `focus` holds the keyboard focus. Every play-state
    // change hands the focus to the player face, so it is given anew for each key.
    void press(QWidget *focus, QKeyCombination key)
    {
        focus->setFocus();
        ASSERT_TRUE(focus->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }

    QString cell(int row, int column) const { return m_window->ui().songList->cell(row, column); }
    void addRow(const QString &name, const QString &start, const QString &end)
    {
        ui().songList->insertSong(0, name);
        ui().songList->setCell(0, SongListModel::Start, start);
        ui().songList->setCell(0, SongListModel::End, end);
    }
    void selectSongRow(int row) { ui().songListView->setCurrentIndex(ui().songList->index(row, 0)); }
    // The list's keyboard focus on `row` without selecting it, as after tabbing into it.
    void focusRowWithoutSelecting(QAbstractItemView *list, int row)
    {
        list->selectionModel()->clearSelection();
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::NoUpdate);
    }
};

TEST_F(Keys, SingleKeysActWhereverTheFocusIsOutsideTextBoxes)
{
    struct Case {
        const char *name;
        QWidget *focus;
        bool spaceIsOurs; // a focused button presses itself with Space
    };
    const Case cases[] = {
        {"player face", ui().playerFace, true},
        {"song-file list", ui().songFileList, true},
        {"song list", ui().songListView, true},
        {"a button", ui().cutSelectedButton, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ui().songList->clearSongs();
        ui().songFileList->setCurrentIndex(ui().songFiles->index(1));

        m_player.setPosition(12.346);
        press(c.focus, Qt::Key_I);
        m_player.setPosition(20.5);
        press(c.focus, Qt::Key_O);
        ASSERT_EQ(ui().songList->rowCount(), 1);
        EXPECT_EQ(cell(0, SongListModel::Name), kB);
        EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("12.35"));
        EXPECT_EQ(cell(0, SongListModel::End), QStringLiteral("20.5"));
        EXPECT_EQ(ui().endEntryBox->text(), QStringLiteral("20.5"));

        selectSongRow(0);
        m_player.clearLog();
        m_player.setPosition(3);
        press(c.focus, Qt::Key_Left); // not before the start
        press(c.focus, Qt::Key_Right);
        press(c.focus, Qt::Key_P);    // from 3 s before the end mark
        QStringList expected{QStringLiteral("setCurrentPosition 0"), QStringLiteral("setCurrentPosition 5"),
                             QStringLiteral("playItem 1"), QStringLiteral("setCurrentPosition 17.5")};
        EXPECT_TRUE(window().context().endMarkTimer->isArmed());
        if (c.spaceIsOurs) {
            press(c.focus, Qt::Key_Space);
            press(c.focus, Qt::Key_Space);
            expected << QStringLiteral("pause") << QStringLiteral("play");
        }
        EXPECT_EQ(m_player.log(), expected);
    }
}

TEST_F(Keys, TypingInATextBoxKeepsEveryKeyButShortcutsWithCtrlStillWork)
{
    const QKeyCombination singleKeys[] = {Qt::Key_I, Qt::Key_O, Qt::Key_P, Qt::Key_Space, Qt::Key_Left, Qt::Key_Right};
    addRow(kB, QStringLiteral("1"), QStringLiteral("9"));
    selectSongRow(0);
    for (QWidget *box : std::initializer_list<QWidget *>{ui().searchBox, ui().startEntryBox, ui().stepBox, ui().previewLeadBox}) {
        SCOPED_TRACE(box->objectName().toStdString());
        m_player.clearLog();
        for (QKeyCombination key : singleKeys)
            press(box, key);
        EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
        EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("1"));
        EXPECT_EQ(cell(0, SongListModel::End), QStringLiteral("9"));

        press(box, Qt::CTRL | Qt::Key_S);
        EXPECT_EQ(m_player.log(), QStringList{QStringLiteral("stop")});
    }
    // The search box took the letters and the blank as search text.
    EXPECT_EQ(ui().searchBox->currentText(), QStringLiteral("iop "));
    EXPECT_EQ(window().context().searchText, QStringLiteral("iop "));
}

TEST_F(Keys, SpacePressesAFocusedButtonAndSelectsAListsUnselectedItemFirst)
{
    m_player.setPosition(4.2);
    press(ui().markStartButton, Qt::Key_Space);
    EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("4.2"));
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();

    struct Case { const char *name; QAbstractItemView *list; int item; };
    const Case cases[] = {{"song-file list", ui().songFileList, 2}, {"song list", ui().songListView, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_player.clearLog();
        focusRowWithoutSelecting(c.list, c.item);
        press(c.list, Qt::Key_Space);
        EXPECT_TRUE(c.list->selectionModel()->isRowSelected(c.item, QModelIndex()));
        EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
        press(c.list, Qt::Key_Space);
        EXPECT_EQ(m_player.log(), QStringList{QStringLiteral("pause")});
        press(c.list, Qt::Key_Space);
    }
}

// The key goes through the button's own click, at the press: the mark is the position of
// that moment, there before the press has returned, and a held key does not take it again.
TEST_F(Keys, AMarkKeyTakesThePositionOfItsPressOnce)
{
    QSignalSpy clicks(ui().markStartButton, &QAbstractButton::clicked);
    QWidget *face = ui().playerFace;
    face->setFocus();
    m_player.setPosition(7.777);
    QTest::keyPress(face, Qt::Key_I);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("7.78"));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：7.78"));

    m_player.setPosition(9);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_I, Qt::NoModifier, QStringLiteral("i"), true);
    QApplication::sendEvent(face, &repeat);
    QTest::keyRelease(face, Qt::Key_I);
    QTest::qWait(150); // longer than a button's animated click
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("7.78"));
}

TEST_F(Keys, EnterPlaysTheFocusedItemAsADoubleClickDoes)
{
    QListView *files = ui().songFileList;
    for (Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(int(enter));
        m_player.clearLog();
        focusRowWithoutSelecting(files, 2);
        files->setFocus();
        QTest::keyClick(files, enter, enter == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(m_player.log(), QStringList{QStringLiteral("playItem 2")});
        EXPECT_TRUE(files->selectionModel()->isRowSelected(2, QModelIndex()));
        EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：c.mp3"));
    }

    // The song list's row plays from its start mark and arms the end-mark timer.
    addRow(kB, QStringLiteral("12.5"), QStringLiteral("20"));
    window().context().endMarkTimer->disarm();
    m_player.clearLog();
    focusRowWithoutSelecting(ui().songListView, 0);
    press(ui().songListView, Qt::Key_Return);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 1"), QStringLiteral("setCurrentPosition 12.5")}));
    EXPECT_TRUE(window().context().endMarkTimer->isArmed());

    // An empty list has no item to choose.
    ui().songList->clearSongs();
    session().setSongs({});
    m_player.clearLog();
    press(files, Qt::Key_Return);
    press(ui().songListView, Qt::Key_Return);
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(Keys, TheSongListsEditKeysWorkOnlyInTheSongList)
{
    addRow(QStringLiteral("c.mp3"), QStringLiteral("1"), QStringLiteral("2"));
    addRow(kB, QStringLiteral("3"), QStringLiteral("5"));
    addRow(QStringLiteral("a.mp3"), QStringLiteral("6"), QStringLiteral("9"));
    selectSongRow(0);
    const auto names = [this] {
        QStringList list;
        for (int r = 0; r < ui().songList->rowCount(); ++r)
            list << cell(r, SongListModel::Name);
        return list;
    };

    for (QKeyCombination key : {QKeyCombination(Qt::Key_Delete), Qt::CTRL | Qt::Key_Down,
                                Qt::CTRL | Qt::SHIFT | Qt::Key_Delete})
        press(ui().songFileList, key);
    EXPECT_EQ(names(), QStringList({QStringLiteral("a.mp3"), kB, QStringLiteral("c.mp3")}));

    press(ui().songListView, Qt::CTRL | Qt::Key_Down);
    EXPECT_EQ(names(), QStringList({kB, QStringLiteral("a.mp3"), QStringLiteral("c.mp3")}));
    EXPECT_EQ(cell(1, SongListModel::CutLength), QStringLiteral("3"));
    // The selection stays on the top row: up does nothing there, down swaps the same two back.
    press(ui().songListView, Qt::CTRL | Qt::Key_Up);
    EXPECT_EQ(names(), QStringList({kB, QStringLiteral("a.mp3"), QStringLiteral("c.mp3")}));
    press(ui().songListView, Qt::CTRL | Qt::Key_Down);
    EXPECT_EQ(names(), QStringList({QStringLiteral("a.mp3"), kB, QStringLiteral("c.mp3")}));
    press(ui().songListView, Qt::Key_Delete);
    EXPECT_EQ(names(), QStringList({kB, QStringLiteral("c.mp3")}));
    press(ui().songListView, Qt::Key_Delete); // nothing is selected after a delete
    EXPECT_EQ(names(), QStringList({kB, QStringLiteral("c.mp3")}));
    press(ui().songListView, Qt::CTRL | Qt::SHIFT | Qt::Key_Delete);
    EXPECT_EQ(ui().songList->rowCount(), 0);
}

TEST_F(Keys, UpAndDownInAPositionBoxStepItsMarkAsTheArrowsDo)
{
    addRow(kB, QStringLiteral("1"), QStringLiteral("245.3"));
    press(ui().startEntryBox, Qt::Key_Up);
    EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("1.2"));
    EXPECT_EQ(ui().startEntryBox->text(), QStringLiteral("1.2"));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：1.2"));
    press(ui().startEntryBox, Qt::KeypadModifier | Qt::Key_Down);
    press(ui().startEntryBox, Qt::Key_Down);
    EXPECT_EQ(cell(0, SongListModel::Start), QStringLiteral("0.8"));

    // The arrows' checks and messages come with them.
    press(ui().endEntryBox, Qt::Key_Up);
    EXPECT_EQ(cell(0, SongListModel::End), QStringLiteral("245.3"));
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages.first().text, QStringLiteral(u"结束时间不能大于歌曲最大时间！请重新标记结束时间。"));
    press(ui().endEntryBox, Qt::Key_Down);
    EXPECT_EQ(cell(0, SongListModel::End), QStringLiteral("245.1"));
    EXPECT_EQ(cell(0, SongListModel::CutLength), QStringLiteral("244.3"));
}

// Each command answers its key, and the control the user sees for it names the key in its
// tooltip and its description (menus show their commands' keys themselves).
TEST_F(Keys, EveryCommandAnswersItsKeyAndItsControlNamesIt)
{
    addRow(kB, QStringLiteral("1"), QStringLiteral("2"));
    selectSongRow(0);
    PlayerControl *face = ui().playerFace;
    QTreeView *songList = ui().songListView;
    struct Case {
        QKeyCombination key;
        QObject *command;       // a button or a menu item
        QWidget *shownOn;       // where the key is named, besides a menu
        QWidget *focus;
    };
    const Case cases[] = {
        {Qt::Key_I, ui().markStartButton, ui().markStartButton, face},
        {Qt::Key_O, ui().markEndButton, ui().markEndButton, face},
        {Qt::Key_P, ui().endPreviewButton, ui().endPreviewButton, face},
        {Qt::Key_F5, ui().refreshButton, ui().refreshButton, face},
        {Qt::CTRL | Qt::Key_X, ui().cutSelectedButton, ui().cutSelectedButton, face},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_X, ui().cutAllButton, ui().cutAllButton, face},
        {Qt::CTRL | Qt::Key_M, ui().mergeAllButton, ui().mergeAllButton, face},
        {Qt::CTRL | Qt::Key_O, ui().songFolderItem, nullptr, face},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_M, ui().startMinimisedItem, nullptr, face},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_P, ui().autoPlayItem, nullptr, face},
        {Qt::CTRL | Qt::Key_H, ui().randomItem, nullptr, face},
        {Qt::CTRL | Qt::Key_T, ui().loopItem, nullptr, face},
        {Qt::Key_Space, ui().playPauseItem, face->playPauseButton(), face},
        {Qt::CTRL | Qt::Key_P, ui().playPauseItem, face->playPauseButton(), ui().startEntryBox},
        {Qt::CTRL | Qt::Key_S, ui().stopItem, face->stopButton(), face},
        {Qt::CTRL | Qt::Key_B, ui().previousItem, face->previousButton(), face},
        {Qt::CTRL | Qt::Key_F, ui().nextItem, face->nextButton(), face},
        {Qt::CTRL | Qt::Key_Up, ui().moveUpItem, songList, songList},
        {Qt::CTRL | Qt::Key_Down, ui().moveDownItem, songList, songList},
        {Qt::Key_Delete, ui().deleteRowItem, songList, songList},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, ui().clearListItem, songList, songList},
        {Qt::CTRL | Qt::Key_Q, ui().quitItem, nullptr, face},
    };
    for (const Case &c : cases) {
        const QString key = keyText(c.key);
        SCOPED_TRACE(key.toStdString() + " " + c.command->objectName().toStdString());
        auto *button = qobject_cast<QAbstractButton *>(c.command);
        auto *item = qobject_cast<QAction *>(c.command);
        QSignalSpy done = button ? QSignalSpy(button, &QAbstractButton::clicked) : QSignalSpy(item, &QAction::triggered);
        press(c.focus, c.key);
        EXPECT_EQ(done.count(), 1);
        if (item) {
            EXPECT_TRUE(item->shortcuts().contains(QKeySequence(c.key)));
        }
        if (c.shownOn) {
            EXPECT_TRUE(c.shownOn->toolTip().contains(key)) << c.shownOn->toolTip().toStdString();
            EXPECT_TRUE(c.shownOn->accessibleDescription().contains(key))
                << c.shownOn->accessibleDescription().toStdString();
        }
    }
    EXPECT_EQ(m_exitCodes, QList<int>{0});

    // The keys that have no command of their own are named on their controls too.
    const std::pair<QWidget *, QStringList> named[] = {
        {face->seekSlider(), {keyText(Qt::Key_Left), keyText(Qt::Key_Right)}},
        {ui().songFileList, {keyText(Qt::Key_Enter)}},
        {songList, {keyText(Qt::Key_Enter)}},
        {ui().startEntryBox, {keyText(Qt::Key_Up), keyText(Qt::Key_Down)}},
        {ui().endEntryBox, {keyText(Qt::Key_Up), keyText(Qt::Key_Down)}},
    };
    for (const auto &[control, keys] : named) {
        SCOPED_TRACE(control->objectName().toStdString());
        for (const QString &key : keys) {
            EXPECT_TRUE(control->toolTip().contains(key)) << control->toolTip().toStdString();
            EXPECT_TRUE(control->accessibleDescription().contains(key));
        }
    }
    // ⏯'s tooltip follows the play state and keeps naming its keys.
    for (PlayState state : {PlayState::Playing, PlayState::Paused}) {
        m_player.emitPlayState(state);
        EXPECT_TRUE(face->playPauseButton()->toolTip().contains(keyText(Qt::Key_Space)));
    }
}

TEST_F(Keys, TabGoesThroughTheWindowFromTheTopLeftToTheBottomRight)
{
    QWidget *first = ui().playerFace;
    first->setFocus();
    QList<QWidget *> chain;
    for (QWidget *at = first; chain.size() < 40;) {
        chain << at;
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        if (at == first)
            break;
    }
    // Reading order: by the top edge, then by the left edge, in the window.
    const auto place = [this](const QWidget *w) {
        const QPoint p = w->mapTo(&window(), QPoint(0, 0));
        return std::pair(p.y(), p.x());
    };
    QStringList names;
    for (int i = 0; i < chain.size(); ++i) {
        names << chain[i]->objectName();
        if (i > 0) {
            EXPECT_LT(place(chain[i - 1]), place(chain[i])) << chain[i]->objectName().toStdString();
        }
    }
    // Every control a key can reach is on the way.
    for (QWidget *w : window().findChildren<QWidget *>()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && !w->focusProxy() && !w->isWindow()) {
            EXPECT_TRUE(chain.contains(w)) << w->objectName().toStdString() << " is not on the way: "
                                           << names.join(u' ').toStdString();
        }
    }
    EXPECT_EQ(chain.size(), 15) << names.join(u' ').toStdString();
}
