#include "platform/positionclock.h"

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
    advance(200);
    m_clock.setRunning(false);
    advance(5000);
    EXPECT_NEAR(m_clock.position(), 2.2, 1e-9);
    m_clock.setRunning(true);
    advance(100);
    EXPECT_NEAR(m_clock.position(), 2.3, 1e-9);
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
    advance(500);
    EXPECT_DOUBLE_EQ(m_clock.position(), 2.0);
    m_clock.setLimit(0); // unknown length: no limit
    EXPECT_NEAR(m_clock.position(), 2.48, 1e-9);
}
