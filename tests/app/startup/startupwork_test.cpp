#include "app/startup/startupwork.h"
#include "support/filepaths.h"
#include "platform/engine/mpvhandle.h"
#include "platform/engine/mpvplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace tunora;

namespace {

constexpr int kTimeoutMs = 20000;

QString fixture(const QString &name)
{
    return QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(name);
}

} // namespace

TEST(StartupWork, TheEngineLoadsOffTheGuiThreadAndPlaysWhatWasAskedForMeanwhile)
{
    MpvPlayer player;
    // As start-up does it: the playlist, auto-play's next song and play, then the engine.
    player.setPlaylist(test::filePaths({fixture(QStringLiteral("tone-1s.mp3")), fixture(QStringLiteral("tone-2s.mp3"))}));
    player.next();
    player.play();

    QThread *openedOn = nullptr;
    bool openedOnGuiThread = false;
    QObject::connect(&player, &MediaPlayer::openStateChanged, &player,
                     [&] { openedOnGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread(); });
    StartupWork work;
    QSignalSpy failed(&work, &StartupWork::engineFailed);
    work.loadEngine(player, [&](QString *error) {
        openedOn = QThread::currentThread();
        return MpvHandle::open(error);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.hasEngine() || !failed.isEmpty(); }, kTimeoutMs));
    ASSERT_TRUE(failed.isEmpty()) << failed.at(0).at(0).toString().toStdString();
    EXPECT_NE(openedOn, QCoreApplication::instance()->thread());
    EXPECT_FALSE(work.isLoadingEngine());
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.currentPosition() > 0.2; }, kTimeoutMs));
    EXPECT_TRUE(openedOnGuiThread);
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_EQ(QFileInfo(player.currentSource().text()).fileName(), QStringLiteral("tone-1s.mp3"));
    player.stop();
}

TEST(StartupWork, AnEngineThatCannotComeUpIsReportedWithItsReasonAndNothingIsAttached)
{
    MpvPlayer player;
    player.setPlaylist(test::filePaths({fixture(QStringLiteral("tone-1s.mp3"))}));
    player.playItem(0);
    StartupWork work;
    QSignalSpy failed(&work, &StartupWork::engineFailed);
    work.loadEngine(player, [](QString *error) {
        *error = QStringLiteral("no engine here");
        return std::unique_ptr<MpvHandle>();
    });
    ASSERT_TRUE(failed.wait(kTimeoutMs));
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("no engine here"));
    EXPECT_FALSE(player.hasEngine());

    // Once only: a second request loads nothing.
    work.loadEngine(player);
    QTest::qWait(200);
    EXPECT_EQ(failed.size(), 1);
    EXPECT_FALSE(player.hasEngine());
}

TEST(StartupWork, QuittingWhileTheEngineLoadsWaitsForNothingAndTheLateEngineIsDropped)
{
    QSemaphore mayFinish;
    QSemaphore finished;
    MpvPlayer player;
    player.setPlaylist(test::filePaths({fixture(QStringLiteral("tone-1s.mp3"))}));
    player.playItem(0);
    QElapsedTimer quitting;
    {
        StartupWork work;
        work.loadEngine(player, [&](QString *error) {
            // Still loading when the user quits; a real engine comes afterwards.
            mayFinish.acquire();
            std::unique_ptr<MpvHandle> handle = MpvHandle::open(error);
            finished.release();
            return handle;
        });
        ASSERT_TRUE(work.isLoadingEngine());
        quitting.start();
    }
    EXPECT_LT(quitting.elapsed(), 500) << "the end of the start-up's work waited for the engine";

    mayFinish.release();
    ASSERT_TRUE(finished.tryAcquire(1, kTimeoutMs));
    QTest::qWait(300); // a late report would have come by now
    EXPECT_FALSE(player.hasEngine());
}
