#include "platform/engine/positionclock.h"

#include <gtest/gtest.h>

using namespace tunora;

namespace {

constexpr qint64 kMs = 1'000'000;

class PositionClockTest : public ::testing::Test {
protected:
    void advance(int ms) { m_now += ms * kMs; }
    // A clock that plays from `start`, as after a load.
    void playFrom(double start)
    {
        m_clock.reset(start);
        m_clock.setRunning(true);
        m_clock.release(start);
    }

    qint64 m_now = 5'000 * kMs;
    PositionClock m_clock{[this] { return m_now; }};
};

} // namespace

TEST_F(PositionClockTest, RunsOnFromEachReadingWhilePlaying)
{
    playFrom(1.0);
    advance(30);
    EXPECT_NEAR(m_clock.position(), 1.030, 1e-9);
    m_clock.report(1.045); // the engine's reading wins over the estimate
    EXPECT_NEAR(m_clock.position(), 1.045, 1e-9);
    advance(20);
    EXPECT_NEAR(m_clock.position(), 1.065, 1e-9);
}

TEST_F(PositionClockTest, PauseFreezesWherePlaybackStoodAndPlayContinuesFromThere)
{
    playFrom(2.0);
    advance(80);
    m_clock.setRunning(false);
    advance(5000);
    EXPECT_NEAR(m_clock.position(), 2.08, 1e-9);
    m_clock.setRunning(true);
    advance(60);
    EXPECT_NEAR(m_clock.position(), 2.14, 1e-9);
}

TEST_F(PositionClockTest, PendingSeekReadsAsItsTargetAndIgnoresStaleReadings)
{
    playFrom(8.0);
    advance(500);
    m_clock.holdAt(3.0);
    advance(300);
    m_clock.report(8.6); // from before the seek
    EXPECT_DOUBLE_EQ(m_clock.position(), 3.0);
    m_clock.release(3.002);
    advance(50);
    EXPECT_NEAR(m_clock.position(), 3.052, 1e-9);
}

TEST_F(PositionClockTest, NewMediaHoldsItsStartUntilPlaybackBegins)
{
    m_clock.reset(12.5);
    m_clock.setRunning(true);
    advance(400);
    EXPECT_DOUBLE_EQ(m_clock.position(), 12.5);
}

TEST_F(PositionClockTest, NeverRunsPastTheEndOfTheMedia)
{
    m_clock.setLimit(2.0);
    playFrom(1.98);
    advance(50);
    EXPECT_DOUBLE_EQ(m_clock.position(), 2.0);
    m_clock.setLimit(0); // unknown length: no limit
    EXPECT_NEAR(m_clock.position(), 2.03, 1e-9);
}

TEST_F(PositionClockTest, RunsAtMostOneReportIntervalAheadOfTheEngine)
{
    // The engine's readings stop coming (its source stalls) while it still claims to play.
    playFrom(3.0);
    const struct {
        int afterMs;
        double position;
    } reads[] = {{50, 3.05}, {100, 3.1}, {101, 3.1}, {5000, 3.1}};
    int elapsed = 0;
    for (const auto &read : reads) {
        advance(read.afterMs - elapsed);
        elapsed = read.afterMs;
        SCOPED_TRACE(read.afterMs);
        EXPECT_NEAR(m_clock.position(), read.position, 1e-9);
    }
    // A late reading behind the estimate is taken as it is, and the clock runs on from it.
    m_clock.report(3.04);
    EXPECT_NEAR(m_clock.position(), 3.04, 1e-9);
    advance(30);
    EXPECT_NEAR(m_clock.position(), 3.07, 1e-9);
}

TEST_F(PositionClockTest, StandsWhileTheEngineSaysItDoesNotAdvance)
{
    playFrom(2.0);
    advance(40);
    m_clock.setStalled(true);
    advance(3000);
    EXPECT_NEAR(m_clock.position(), 2.04, 1e-9);
    // A reading while stalled (the last buffered audio) moves it, but it still stands.
    m_clock.report(2.06);
    advance(500);
    EXPECT_NEAR(m_clock.position(), 2.06, 1e-9);

    // A pause during the stall: the engine advancing again does not start the clock.
    m_clock.setRunning(false);
    m_clock.setStalled(false);
    advance(200);
    EXPECT_NEAR(m_clock.position(), 2.06, 1e-9);
    m_clock.setRunning(true);
    advance(30);
    EXPECT_NEAR(m_clock.position(), 2.09, 1e-9);

    // Stalled during a seek, the clock shows the target until the engine plays from there.
    m_clock.setStalled(true);
    m_clock.holdAt(7.5);
    m_clock.release(7.5);
    advance(300);
    EXPECT_NEAR(m_clock.position(), 7.5, 1e-9);
    m_clock.setStalled(false);
    advance(20);
    EXPECT_NEAR(m_clock.position(), 7.52, 1e-9);
}
