#include "app/startup/privatebus.h"

#include "app/desktop/mpris/mprisnames.h"
#include "app/desktop/runninginstance.h"
#include "platform/files/fileurl.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFuture>
#include <QTimer>
#include <QtConcurrent>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include <algorithm>
#include <functional>

using namespace tunora;
using namespace tunora::test;

namespace {

// The running program's media controls as a launch reaches them: every call is noted, and
// OpenUri of a refused song is answered as the real one answers a song it cannot open.
class FakeProgram : public QDBusVirtualObject {
public:
    QStringList calls;
    QStringList refused;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QString call = message.interface() + u' ' + message.member();
        if (!message.arguments().isEmpty())
            call += u' ' + message.arguments().constFirst().toString();
        calls.append(call);
        const bool refuse = message.member() == QStringLiteral("OpenUri")
                         && refused.contains(message.arguments().value(0).toString());
        connection.send(refuse ? message.createErrorReply(mpris::kCannotOpenError, QStringLiteral("cannot open"))
                               : message.createReply());
        return true;
    }
};

QString openUri(const QString &song)
{
    return mpris::kPlayerInterface + QStringLiteral(" OpenUri ") + fileUrlOf(FilePath(song));
}
const QString kRaise = mpris::kRootInterface + QStringLiteral(" Raise");

// Runs the launches on threads of their own while this thread serves the fake program, as
// two processes run side by side; `meanwhile` is called on this thread until they are over.
QList<SessionLaunch> launchTogether(const QList<std::function<SessionLaunch()>> &launches,
                                    const std::function<void()> &meanwhile = {})
{
    // Threads of the standard library, whose start ThreadSanitizer sees.
    std::vector<std::future<SessionLaunch>> running;
    for (const auto &launch : launches)
        running.push_back(std::async(std::launch::async, launch));
    const auto allOver = [&] {
        return std::all_of(running.begin(), running.end(), [](const std::future<SessionLaunch> &f) {
            return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
    };
    while (!allOver()) {
        if (meanwhile)
            meanwhile();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QList<SessionLaunch> outcomes;
    for (std::future<SessionLaunch> &f : running)
        outcomes.append(f.get());
    return outcomes;
}

SessionLaunch launchAlone(const std::function<SessionLaunch()> &launch)
{
    return launchTogether({launch}).constFirst();
}

QString ownerOfTheName(const QDBusConnection &bus)
{
    return bus.interface()->serviceOwner(mpris::kProgramName).value();
}

} // namespace

class OneProgramPerSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!bus.isUp())
            GTEST_SKIP() << "dbus-daemon did not start (is it installed?)";
    }

    PrivateBus bus;
    FakeProgram program;
};

TEST_F(OneProgramPerSession, OfLaunchesAtOnceOneGetsTheNameAndTheOthersHandOverOnceItsWindowIsUp)
{
    QList<QDBusConnection> connections;
    QList<std::function<SessionLaunch()>> launches;
    for (int i = 0; i < 4; ++i) {
        connections.append(bus.connect(QStringLiteral("launch%1").arg(i)));
        const QDBusConnection c = connections.last();
        const FilePath song(QStringLiteral("/music/%1.mp3").arg(i));
        launches.append([c, song] { return launchInSession(c, {song}); });
    }
    // The winner's media controls come up a while after it has the name, as its window does.
    QElapsedTimer sinceStart;
    sinceStart.start();
    int winner = -1;
    const QList<SessionLaunch> outcomes = launchTogether(launches, [&] {
        if (winner >= 0 || sinceStart.elapsed() < 300)
            return;
        const QString owner = ownerOfTheName(connections.first());
        for (int i = 0; i < connections.size(); ++i) {
            if (connections[i].baseService() == owner)
                winner = i;
        }
        if (winner >= 0) {
            ASSERT_TRUE(connections[winner].registerVirtualObject(mpris::kObjectPath, &program));
        }
    });

    ASSERT_GE(winner, 0);
    QStringList expected;
    for (int i = 0; i < outcomes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(outcomes[i].outcome, i == winner ? SessionLaunch::OwnsName : SessionLaunch::HandedOver)
            << outcomes[i].problem.toStdString();
        if (i != winner)
            expected << openUri(QStringLiteral("/music/%1.mp3").arg(i)) << kRaise;
    }
    // Each hands over its song, then raises; the three may come in any order.
    QStringList seen = program.calls;
    EXPECT_EQ(seen.count(kRaise), 3) << seen.join(u'\n').toStdString();
    seen.sort();
    expected.sort();
    EXPECT_EQ(seen, expected);
}

TEST_F(OneProgramPerSession, SongsGoOneByOneUntilOneOpensThenTheWindowIsRaised)
{
    QDBusConnection running = bus.connect(QStringLiteral("running"));
    ASSERT_EQ(launchInSession(running, {}).outcome, SessionLaunch::OwnsName);
    ASSERT_TRUE(running.registerVirtualObject(mpris::kObjectPath, &program));
    program.refused = {fileUrlOf(FilePath(QStringLiteral("/music/bad.mp3"))),
                       fileUrlOf(FilePath(QStringLiteral("/music/worse.mp3")))};
    const QDBusConnection launching = bus.connect(QStringLiteral("launching"));

    struct Case {
        const char *what;
        QStringList songs;
        QStringList calls;
    };
    const Case cases[] = {
        {"no songs", {}, {kRaise}},
        {"one song", {QStringLiteral("/music/a.mp3")}, {openUri(QStringLiteral("/music/a.mp3")), kRaise}},
        {"the first refused, the second opens, the third is not wanted",
         {QStringLiteral("/music/bad.mp3"), QStringLiteral("/music/b.mp3"), QStringLiteral("/music/c.mp3")},
         {openUri(QStringLiteral("/music/bad.mp3")), openUri(QStringLiteral("/music/b.mp3")), kRaise}},
        // The running program says so itself; the launch has nothing more to do.
        {"all refused",
         {QStringLiteral("/music/bad.mp3"), QStringLiteral("/music/worse.mp3")},
         {openUri(QStringLiteral("/music/bad.mp3")), openUri(QStringLiteral("/music/worse.mp3")), kRaise}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        program.calls.clear();
        QList<FilePath> songs;
        for (const QString &song : c.songs)
            songs.append(FilePath(song));
        const SessionLaunch launch = launchAlone([&] { return launchInSession(launching, songs); });
        EXPECT_EQ(launch.outcome, SessionLaunch::HandedOver) << launch.problem.toStdString();
        EXPECT_EQ(program.calls, c.calls);
    }
    EXPECT_EQ(ownerOfTheName(launching), running.baseService());
}

TEST_F(OneProgramPerSession, ALaunchWhileTheProgramEndsTakesTheNameOnceItIsGone)
{
    // It holds the name, its media controls already gone, and ends a while later.
    bus.connect(QStringLiteral("ending"));
    ASSERT_EQ(launchInSession(QDBusConnection(QStringLiteral("ending")), {}).outcome, SessionLaunch::OwnsName);
    const QDBusConnection launching = bus.connect(QStringLiteral("launching"));
    QTimer::singleShot(300, [] { QDBusConnection::disconnectFromBus(QStringLiteral("ending")); });

    QElapsedTimer took;
    took.start();
    const SessionLaunch launch = launchAlone([&] { return launchInSession(launching, {FilePath(QStringLiteral("/music/a.mp3"))}); });
    EXPECT_EQ(launch.outcome, SessionLaunch::OwnsName) << launch.problem.toStdString();
    EXPECT_EQ(ownerOfTheName(launching), launching.baseService());
    EXPECT_LT(took.elapsed(), 5000);
}

TEST_F(OneProgramPerSession, AProgramThatNeverAnswersLeavesTheLaunchToRunAloneAfterTheAnswerTime)
{
    // One holds the name and never brings its media controls up; another has them up but
    // leaves every call unanswered.
    class Silent : public QDBusVirtualObject {
        QString introspect(const QString &) const override { return {}; }
        bool handleMessage(const QDBusMessage &, const QDBusConnection &) override { return true; }
    } silent;
    for (const bool controlsUp : {false, true}) {
        SCOPED_TRACE(controlsUp ? "controls up, silent" : "controls never up");
        const QString name = QStringLiteral("stuck%1").arg(controlsUp);
        QDBusConnection stuck = bus.connect(name);
        ASSERT_EQ(launchInSession(stuck, {}).outcome, SessionLaunch::OwnsName);
        if (controlsUp) {
            ASSERT_TRUE(stuck.registerVirtualObject(mpris::kObjectPath, &silent));
        }
        const QDBusConnection launching = bus.connect(name + QStringLiteral("-launching"));

        QElapsedTimer took;
        took.start();
        const SessionLaunch launch = launchAlone([&] { return launchInSession(launching, {}, 800); });
        EXPECT_EQ(launch.outcome, SessionLaunch::RunsAlone);
        EXPECT_TRUE(launch.problem.contains(QStringLiteral("does not answer"))) << launch.problem.toStdString();
        EXPECT_GE(took.elapsed(), 750);
        EXPECT_LT(took.elapsed(), 5000);
        EXPECT_EQ(ownerOfTheName(launching), stuck.baseService());
        QDBusConnection::disconnectFromBus(name);
    }
}

TEST(OneProgramPerSessionWithoutTheName, NoBusOrARefusedNameLeavesTheLaunchToRunAloneAndSaysWhy)
{
    PrivateBus refusing(mpris::kProgramName);
    if (!refusing.isUp())
        GTEST_SKIP() << "dbus-daemon did not start (is it installed?)";
    const SessionLaunch refused = launchInSession(refusing.connect(QStringLiteral("refused")), {});
    EXPECT_EQ(refused.outcome, SessionLaunch::RunsAlone);
    EXPECT_TRUE(refused.problem.contains(QStringLiteral("refused the name ") + mpris::kProgramName))
        << refused.problem.toStdString();

    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    const SessionLaunch alone = launchInSession(none, {FilePath(QStringLiteral("/music/a.mp3"))});
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
    EXPECT_EQ(alone.outcome, SessionLaunch::RunsAlone);
    EXPECT_TRUE(alone.problem.startsWith(QStringLiteral("no session bus ("))) << alone.problem.toStdString();
}
