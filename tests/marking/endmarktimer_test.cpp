#include "marking/endmarktimer.h"
#include "support/filepaths.h"

#include "library/songlistmodel.h"
#include "support/fakeplayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tunora;
using namespace std::chrono_literals;
using tunora::test::FakePlayer;

namespace {

// A fake whose position runs with the wall clock while it plays, and that remembers
// where it was stopped and how often its position was read.
class RunningPlayer : public FakePlayer {
public:
    double currentPosition() const override
    {
        ++reads;
        return FakePlayer::currentPosition() + (m_running.isValid() ? m_running.elapsed() / 1000.0 : 0.0);
    }
    void run() { m_running.start(); }
    void stop() override
    {
        stoppedAt = currentPosition();
        m_running.invalidate();
        FakePlayer::stop();
    }

    mutable int reads = 0;
    double stoppedAt = -1;

private:
    QElapsedTimer m_running;
};

class EndMarkTimerTest : public ::testing::Test {
protected:
    EndMarkTimerTest()
    {
        player.setPlaylist(test::filePaths({QStringLiteral("/music/a.mp3"), QStringLiteral("/music/b.mp3")}));
        player.playItem(0);
        player.clearLog();
    }

    void addRow(const QString &name, const QString &endMark)
    {
        songs.insertSong(0, name);
        songs.setCell(0, SongListModel::End, endMark);
    }
    bool stopped() const { return player.log().contains(QStringLiteral("stop")); }
    // Lets the check that an event asked for run.
    void settle() { QTest::qWait(5); }

    RunningPlayer player;
    SongListModel songs;
    QTimer ticker;
    QString currentSong = QStringLiteral("a.mp3");
    EndMarkTimer timer{player, songs, [this] { return currentSong; }, ticker};
};

} // namespace

TEST_F(EndMarkTimerTest, StopsTheCurrentSongAtItsEndMarkAndDisarms)
{
    addRow(QStringLiteral("a.mp3"), QStringLiteral("60"));
    player.setPosition(59.98);
    timer.arm();
    EXPECT_TRUE(ticker.isActive());

    timer.check();
    EXPECT_FALSE(stopped());
    EXPECT_TRUE(timer.isArmed());
    // The next check is planned for the moment the rounded position reaches the end mark.
    EXPECT_EQ(ticker.intervalAsDuration(), 15ms);
    EXPECT_EQ(ticker.timerType(), Qt::PreciseTimer);

    player.setPosition(59.995);
    timer.check();
    EXPECT_EQ(player.log(), QStringList{QStringLiteral("stop")});
    EXPECT_FALSE(timer.isArmed());
    EXPECT_FALSE(ticker.isActive());
}

TEST_F(EndMarkTimerTest, DisarmedItNeverStops)
{
    addRow(QStringLiteral("a.mp3"), QStringLiteral("10"));
    player.setPosition(30);
    EXPECT_FALSE(ticker.isActive());
    timer.check();
    settle();
    EXPECT_FALSE(stopped());
    EXPECT_FALSE(timer.isArmed());
}

TEST_F(EndMarkTimerTest, StaysArmedForASongWithoutRowAndStopsTheNextSongWithOne)
{
    addRow(QStringLiteral("a.mp3"), QStringLiteral("40"));
    currentSong = QStringLiteral("b.mp3");
    player.playItem(1);
    player.setPosition(500);
    timer.arm();
    settle();
    EXPECT_FALSE(stopped());
    EXPECT_TRUE(timer.isArmed());
    EXPECT_EQ(ticker.intervalAsDuration(), EndMarkTimer::kIdlePollInterval);

    // The user stopping playback is no end-mark check: the timer stays armed.
    player.stop();
    settle();
    EXPECT_TRUE(timer.isArmed());
    player.clearLog();

    // a.mp3 starts again by itself; its own end mark stops it.
    currentSong = QStringLiteral("a.mp3");
    player.playItem(0);
    player.setPosition(39.5);
    settle();
    EXPECT_FALSE(stopped());
    player.setPosition(40.01);
    timer.check();
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(timer.isArmed());
}

TEST_F(EndMarkTimerTest, AnEmptyEndMarkStopsAtTheFirstCheck)
{
    addRow(QStringLiteral("a.mp3"), QString());
    player.setPosition(0);
    timer.arm();
    settle();
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(timer.isArmed());
}

TEST_F(EndMarkTimerTest, ReplansWhenMarksOrThePlayStateChange)
{
    addRow(QStringLiteral("a.mp3"), QStringLiteral("60"));
    player.setPosition(50);
    timer.arm();
    settle();
    EXPECT_EQ(ticker.intervalAsDuration(), EndMarkTimer::kPollInterval);

    // The end mark stepped back close to the position: planned for that moment at once.
    songs.setCell(0, SongListModel::End, QStringLiteral("50.02"));
    settle();
    EXPECT_EQ(ticker.intervalAsDuration(), 15ms);

    // Paused, the position stands still: only the poll.
    player.pause();
    settle();
    EXPECT_EQ(ticker.intervalAsDuration(), EndMarkTimer::kPollInterval);
    EXPECT_FALSE(stopped());

    // A row inserted for the current song with its end mark already passed.
    songs.removeSong(0);
    settle();
    EXPECT_FALSE(stopped());
    addRow(QStringLiteral("a.mp3"), QStringLiteral("45"));
    settle();
    EXPECT_TRUE(stopped());
}

TEST_F(EndMarkTimerTest, ASeekReplansAtOnceAndAJumpPastTheEndMarkStopsAtTheNextCheck)
{
    addRow(QStringLiteral("a.mp3"), QStringLiteral("60"));
    player.setPosition(30);
    timer.arm();
    settle();
    EXPECT_EQ(ticker.intervalAsDuration(), EndMarkTimer::kPollInterval);

    // A seek close to the end mark: planned for that moment, not a poll later.
    player.setCurrentPosition(59.97);
    QCoreApplication::processEvents();
    EXPECT_EQ(ticker.intervalAsDuration(), 25ms);
    EXPECT_FALSE(stopped());

    // A jump past it: the very next round of the event loop stops the song.
    player.setCurrentPosition(75);
    QCoreApplication::processEvents();
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(timer.isArmed());
}

TEST_F(EndMarkTimerTest, APlayingSongStopsOnceItReachesTheEndMarkNotBefore)
{
    addRow(QStringLiteral("a.mp3"), QStringLiteral("10.4"));
    player.setPosition(10);
    player.run();
    timer.arm();
    // A plain event loop: QTest's waits sleep between rounds and would delay the checks.
    QEventLoop loop;
    QObject::connect(&player, &MediaPlayer::playStateChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();

    ASSERT_FALSE(timer.isArmed());
    EXPECT_GE(player.stoppedAt, 10.395);
    // Checks are planned, not polled every millisecond: a 1 ms poll would read the
    // position dozens of times in the last 50 ms alone.
    EXPECT_LT(player.reads, 20);
}
