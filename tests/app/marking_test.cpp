#include "support/windowfixture.h"
#include "support/filepaths.h"

#include "app/controls/spincontrol.h"
#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTimer>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace tunora;
using namespace tunora::test;

namespace {

const QString kNegativeStart = QStringLiteral(u"开始时间不可能为负数！请重新标记开始时间。");
const QString kPastLengthEnd = QStringLiteral(u"结束时间不能大于歌曲最大时间！请重新标记结束时间。");

QStringList cells(std::initializer_list<const char16_t *> texts)
{
    QStringList list;
    for (const char16_t *t : texts)
        list << QString::fromUtf16(t);
    return list;
}

} // namespace

// A window whose song-file list and playlist hold a.mp3, b.mp3 and c.mp3.
class Marking : public WindowFixture {
protected:
    void SetUp() override
    {
        start();
        session().setSongs(filePaths(cells({u"/music/a.mp3", u"/music/b.mp3", u"/music/c.mp3"})));
    }

    // The player opens the song; the window names it in songNameLabel.
    void play(int index, double duration)
    {
        m_player.setDuration(duration);
        m_player.playItem(index);
        m_player.clearLog();
    }
    void markAt(QPushButton *button, double position)
    {
        m_player.setPosition(position);
        button->click();
    }
    // A mark typed into its position box, replacing what it held.
    void type(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    QStringList row(int r) const
    {
        QStringList list;
        for (int c = 0; c < SongListModel::ColumnCount; ++c)
            list << m_window->ui().songList->cell(r, c);
        return list;
    }
    void selectSongRow(int r)
    {
        ui().songListView->selectionModel()->setCurrentIndex(
            ui().songList->index(r, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void doubleClickSongFile(int entry)
    {
        const QModelIndex index = ui().songFiles->index(entry);
        ui().songFileList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        Q_EMIT ui().songFileList->doubleClicked(index);
    }
    EndMarkTimer &endMarkTimer() { return *window().context().endMarkTimer; }
    // Lets the checks that the last events asked for run, and the one planned next.
    void runChecks() { QTest::qWait(int(EndMarkTimer::kPollInterval.count()) + 20); }
    bool stopped() const { return m_player.log().contains(QStringLiteral("stop")); }
};

TEST_F(Marking, TheFirstMarkCreatesTheRowAndTheSecondCompletesIt)
{
    play(0, 245.512);
    markAt(ui().markEndButton, 12.346);
    ASSERT_EQ(ui().songList->rowCount(), 1);
    EXPECT_EQ(row(0), cells({u"a.mp3", u"", u"12.35", u"", u"245.512"}));
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：12.35"));
    EXPECT_EQ(ui().endEntryBox->text(), QStringLiteral("12.35"));

    markAt(ui().markStartButton, 3.214);
    ASSERT_EQ(ui().songList->rowCount(), 1);
    EXPECT_EQ(row(0), cells({u"a.mp3", u"3.21", u"12.35", u"9.14", u"245.512"}));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：3.21"));
    EXPECT_EQ(ui().startEntryBox->text(), QStringLiteral("3.21"));
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：12.35"));
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

TEST_F(Marking, ASecondSongsRowGoesAboveTheFirstWhichKeepsItsCells)
{
    play(0, 245.512);
    markAt(ui().markStartButton, 3.214);
    markAt(ui().markEndButton, 12.346);
    play(1, 180);
    markAt(ui().markStartButton, 30);
    markAt(ui().markEndButton, 20);

    ASSERT_EQ(ui().songList->rowCount(), 2);
    EXPECT_EQ(row(0), cells({u"b.mp3", u"30", u"20", u"-10", u"180.000"}));
    EXPECT_EQ(row(1), cells({u"a.mp3", u"3.21", u"12.35", u"9.14", u"245.512"}));
}

TEST_F(Marking, WithoutCurrentSongNothingChanges)
{
    ASSERT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名："));
    m_player.setPosition(5);
    ui().markStartButton->click();
    ui().markEndButton->click();
    ui().startSpin->downButton()->click();
    ui().endSpin->upButton()->click();
    QTest::keyClicks(ui().startEntryBox, QStringLiteral("7"));

    EXPECT_EQ(ui().songList->rowCount(), 0);
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间："));
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间："));
    EXPECT_EQ(ui().endEntryBox->text(), QString());
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

TEST_F(Marking, LengthCellsOfOtherSongsAreNeverTouched)
{
    // a.mp3 is marked while the player knows no duration yet: its length stays empty.
    play(0, -1);
    markAt(ui().markStartButton, 1);
    EXPECT_EQ(row(0), cells({u"a.mp3", u"1", u"", u"", u""}));

    // Typing for b.mp3, which has no row, must not give a.mp3 the length of b.mp3.
    play(1, 180);
    type(ui().startEntryBox, QStringLiteral("5"));
    EXPECT_EQ(ui().songList->rowCount(), 1);
    EXPECT_EQ(row(0), cells({u"a.mp3", u"1", u"", u"", u""}));

    markAt(ui().markEndButton, 9);
    EXPECT_EQ(row(0), cells({u"b.mp3", u"", u"9", u"", u"180.000"}));

    // Back to a.mp3, whose row now lies lower: no length cell changes.
    play(0, 245.5);
    markAt(ui().markEndButton, 4);
    EXPECT_EQ(row(0), cells({u"b.mp3", u"", u"9", u"", u"180.000"}));
    EXPECT_EQ(row(1), cells({u"a.mp3", u"1", u"4", u"3", u""}));
}

TEST_F(Marking, MarkStepsAreCheckedAndRefusalsKeepTheMark)
{
    play(0, 245.5);
    QToolButton *startEarlier = ui().startSpin->downButton();
    QToolButton *endLater = ui().endSpin->upButton();

    // A refusal keeps cell, label and box.
    markAt(ui().markStartButton, 0.1);
    startEarlier->click();
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages[0].text, kNegativeStart);
    EXPECT_EQ(m_desktop.messages[0].style, MessageStyle::Error);
    EXPECT_EQ(m_desktop.messages[0].title, QStringLiteral(u"错误"));
    EXPECT_EQ(row(0)[SongListModel::Start], QStringLiteral("0.1"));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：0.1"));
    EXPECT_EQ(ui().startEntryBox->text(), QStringLiteral("0.1"));

    // Zero itself is accepted.
    m_desktop.messages.clear();
    type(ui().startEntryBox, QStringLiteral("0.2"));
    startEarlier->click();
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    EXPECT_EQ(row(0)[SongListModel::Start], QStringLiteral("0"));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：0"));
    EXPECT_EQ(ui().startEntryBox->text(), QStringLiteral("0"));

    // An empty end mark steps from 0, and the cut length follows the step.
    endLater->click();
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    EXPECT_EQ(row(0), cells({u"a.mp3", u"0", u"0.2", u"0.2", u"245.500"}));
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：0.2"));
    EXPECT_EQ(ui().endEntryBox->text(), QStringLiteral("0.2"));

    // Reaching the song length is refused.
    type(ui().endEntryBox, QStringLiteral("245.3"));
    endLater->click();
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages[0].text, kPastLengthEnd);
    EXPECT_EQ(row(0)[SongListModel::End], QStringLiteral("245.3"));
    EXPECT_EQ(ui().endEntryBox->text(), QStringLiteral("245.3"));

    // The other arrow goes earlier.
    ui().endSpin->downButton()->click();
    EXPECT_EQ(row(0)[SongListModel::End], QStringLiteral("245.1"));
    EXPECT_EQ(row(0)[SongListModel::CutLength], QStringLiteral("245.1"));
}

TEST_F(Marking, AnEmptyStepSizeRewritesTheMarkOrRefusesItWhereItStands)
{
    play(0, 100);
    markAt(ui().markStartButton, 5);
    type(ui().endEntryBox, QStringLiteral("100"));
    ui().stepBox->clear();

    ui().startSpin->upButton()->click();
    ui().startSpin->downButton()->click();
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    EXPECT_EQ(row(0)[SongListModel::Start], QStringLiteral("5"));

    ui().endSpin->upButton()->click();
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages[0].text, kPastLengthEnd);
}

TEST_F(Marking, APressForASongWithoutRowChangesNothing)
{
    play(0, 100);
    markAt(ui().markStartButton, 5);
    play(1, 100);
    ui().startSpin->downButton()->click();
    ui().endSpin->upButton()->click();
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    ASSERT_EQ(ui().songList->rowCount(), 1);
    EXPECT_EQ(row(0), cells({u"a.mp3", u"5", u"", u"", u"100.000"}));
}

TEST_F(Marking, EveryKeystrokeInAPositionBoxIsStored)
{
    play(0, 100);
    markAt(ui().markEndButton, 20);
    markAt(ui().markStartButton, 1);
    ui().startEntryBox->clear();

    QStringList stored;
    const QString typed = QStringLiteral("12.347");
    for (const QChar key : typed) {
        QTest::keyClick(ui().startEntryBox, key.toLatin1());
        stored << row(0)[SongListModel::Start];
    }
    EXPECT_EQ(stored, cells({u"1", u"12", u"12", u"12.3", u"12.34", u"12.35"}));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：12.347"));
    EXPECT_EQ(ui().startEntryBox->text(), typed);
    EXPECT_EQ(row(0)[SongListModel::CutLength], QStringLiteral("7.65"));
}

TEST_F(Marking, ClearingAPositionBoxStoresZero)
{
    play(0, 100);
    markAt(ui().markStartButton, 3);
    markAt(ui().markEndButton, 12.35);
    ui().endEntryBox->selectAll();
    QTest::keyClick(ui().endEntryBox, Qt::Key_Backspace);

    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间："));
    EXPECT_EQ(row(0)[SongListModel::End], QStringLiteral("0"));
    EXPECT_EQ(row(0)[SongListModel::CutLength], QStringLiteral("-3"));

    QTest::keyClick(ui().endEntryBox, '.');
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：."));
    EXPECT_EQ(row(0)[SongListModel::End], QStringLiteral("0"));
}

TEST_F(Marking, TypingForASongWithoutRowOnlyShowsIt)
{
    play(2, 100);
    type(ui().startEntryBox, QStringLiteral("5"));
    type(ui().endEntryBox, QStringLiteral("8.5"));
    EXPECT_EQ(ui().startMarkLabel->text(), QStringLiteral(u"开始时间：5"));
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：8.5"));
    EXPECT_EQ(ui().songList->rowCount(), 0);
}

TEST_F(Marking, MarksPastAThousandSecondsAreKeptWhole)
{
    // Beyond 999.99 s a mark has more characters than the user may type into its box.
    play(0, 2000);
    markAt(ui().markEndButton, 1000.05);
    ui().endSpin->upButton()->click();
    EXPECT_EQ(row(0)[SongListModel::End], QStringLiteral("1000.25"));
    EXPECT_EQ(ui().endEntryBox->text(), QStringLiteral("1000.25"));
    EXPECT_EQ(ui().endMarkLabel->text(), QStringLiteral(u"结束时间：1000.25"));
    // The user still types no more than six characters.
    QTest::keyClick(ui().endEntryBox, '1');
    EXPECT_EQ(ui().endEntryBox->text(), QStringLiteral("1000.25"));
}

TEST_F(Marking, EndPreviewStartsTheLeadInBeforeTheEndMarkAndStopsThere)
{
    struct Case {
        const char16_t *name;
        const char16_t *endMark;
        const char16_t *leadIn;
        const char16_t *startAt;
        // Exactly: the marks are read in single precision, the difference is not rounded.
        double position;
    };
    const Case cases[] = {
        {u"three seconds before", u"60", u"3", u"57", 57},
        {u"no lead-in", u"60", u"0", u"60", 60},
        {u"an empty lead-in", u"60", u"", u"60", 60},
        {u"a fractional mark, unrounded", u"12.35", u"3", u"9.35", double(12.35f) - 3.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.name).toStdString());
        ui().songList->clearSongs();
        ui().songList->insertSong(0, QStringLiteral("b.mp3"));
        ui().songList->setCell(0, SongListModel::End, QString::fromUtf16(c.endMark));
        ui().previewLeadBox->setText(QString::fromUtf16(c.leadIn));
        selectSongRow(0);
        m_player.clearLog();

        ui().endPreviewButton->click();
        EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 1"),
                                               QStringLiteral("setCurrentPosition ") + QString::fromUtf16(c.startAt)}));
        EXPECT_EQ(m_player.currentPosition(), c.position);
        EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：b.mp3"));
        EXPECT_TRUE(endMarkTimer().isArmed());
        EXPECT_TRUE(ui().endMarkClock->isActive()); // the window's timer runs exactly while armed

        runChecks();
        const bool atTheEnd = QString::fromUtf16(c.startAt) == QString::fromUtf16(c.endMark);
        EXPECT_EQ(stopped(), atTheEnd);
        if (!atTheEnd) {
            m_player.setPosition(m_player.currentPosition() + QString::fromUtf16(c.leadIn).toDouble() - 0.01);
            runChecks();
            EXPECT_FALSE(stopped());
            m_player.setPosition(m_player.currentPosition() + 0.01);
            runChecks();
            EXPECT_TRUE(stopped());
        }
        EXPECT_FALSE(endMarkTimer().isArmed());
        EXPECT_FALSE(ui().endMarkClock->isActive());
    }
}

TEST_F(Marking, EndPreviewWithoutSelectedRowDoesNothing)
{
    play(0, 100);
    m_player.setPosition(42);
    ui().songList->insertSong(0, QStringLiteral("b.mp3"));
    ui().songList->setCell(0, SongListModel::End, QStringLiteral("60"));
    ui().endPreviewButton->click();
    runChecks();
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：a.mp3"));
    EXPECT_FALSE(endMarkTimer().isArmed());
}

TEST_F(Marking, AnEmptyEndMarkStopsAtTheFirstCheck)
{
    ui().songList->insertSong(0, QStringLiteral("a.mp3"));
    ui().songList->setCell(0, SongListModel::Start, QStringLiteral("5"));
    selectSongRow(0);
    ui().endPreviewButton->click();
    EXPECT_TRUE(m_player.log().contains(QStringLiteral("setCurrentPosition -3")));
    runChecks();
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(endMarkTimer().isArmed());
}

TEST_F(Marking, TheTimerStaysArmedAcrossSongsAndStopsEachAtItsOwnEndMark)
{
    ui().songList->insertSong(0, QStringLiteral("a.mp3"));
    ui().songList->setCell(0, SongListModel::End, QStringLiteral("60"));
    ui().songList->insertSong(0, QStringLiteral("b.mp3"));
    ui().songList->setCell(0, SongListModel::End, QStringLiteral("30"));
    selectSongRow(1);
    ui().endPreviewButton->click();
    runChecks();
    EXPECT_TRUE(endMarkTimer().isArmed());

    // The preview is interrupted by a double-click on c.mp3 in the song-file list: it has
    // no row and plays on.
    doubleClickSongFile(2);
    ASSERT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：c.mp3"));
    m_player.setPosition(500);
    runChecks();
    EXPECT_FALSE(stopped());
    EXPECT_TRUE(endMarkTimer().isArmed());

    // Then b.mp3 starts: it stops at its own end mark, not at a.mp3's.
    doubleClickSongFile(1);
    ASSERT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：b.mp3"));
    m_player.setPosition(29.99);
    runChecks();
    EXPECT_FALSE(stopped());
    m_player.setPosition(30);
    runChecks();
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(endMarkTimer().isArmed());
}
