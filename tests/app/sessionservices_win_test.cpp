// One program per session on Windows: the first launch owns the session's mutex, and a later
// one, finding it held, hands its songs to the running program's hand-over window, which
// opens them and raises the window, as a second launch does through the session bus on Linux.
#include "app/desktop/sessionservices.h"
#include "session/playbacksession.h"
#include "support/fakeplayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

namespace tunora {
namespace {

TEST(WindowsSession, ALaterLaunchHandsItsSongsToTheRunningProgram)
{
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    ASSERT_TRUE(QFile::copy(QStringLiteral(TUNORA_DEFAULT_SETTINGS), program.filePath(u"初始化配置.ini"_s)));
    QFile song(program.filePath(u"晴天.mp3"_s));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.close();

    ASSERT_EQ(launchInThisSession({}).outcome, SessionLaunch::OwnsName);
    test::FakePlayer player;
    PlaybackSession session(player, FilePath(program.path()));
    int raised = 0;
    const std::unique_ptr<QObject> services = serveSession(session, {[&raised] { ++raised; }, [] {}});
    ASSERT_TRUE(services);

    // The later launch waits for the answer of this thread's window, so it runs on its own
    // thread while this one goes on handling messages.
    const FilePath songPath = FilePath(program.path()) / u"晴天.mp3"_s;
    std::atomic<int> outcome = -1;
    std::thread later([&] { outcome = launchInThisSession({songPath}).outcome; });
    const bool answered = QTest::qWaitFor([&] { return outcome != -1; }, 15000);
    later.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(outcome, SessionLaunch::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.currentSource() == songPath; }, 5000))
        << player.currentSource().text().toStdString();
    EXPECT_EQ(raised, 1);
}

} // namespace
} // namespace tunora
