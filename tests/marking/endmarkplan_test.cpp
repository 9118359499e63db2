#include "marking/endmarkplan.h"

#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tunora;
using namespace std::chrono_literals;

TEST(EndMarkRule, TheRoundedPositionCountsFromTheEndMarkOn)
{
    struct Case {
        double position;
        const char *endMark;
        bool reached;
    };
    const Case cases[] = {
        {59.99, "60", false},
        {59.994, "60", false},
        {59.995, "60", true},   // rounds to 60
        {60.0, "60", true},
        {75.0, "60", true},
        // 12.35 and 245.3 read as 32-bit values lie above their decimals by more than
        // the tolerance; the rounded position still reaches them.
        {12.35, "12.35", true},
        {12.344, "12.35", false},
        {245.3, "245.3", true},
        {245.29, "245.3", false},
        {0.0, "", true},        // an empty end mark reads as 0
        {0.0, "0", true},
        {-0.004, "0", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " against " + c.endMark);
        EXPECT_EQ(endMarkReached(c.position, numberFromText(QString::fromLatin1(c.endMark))), c.reached);
    }
}

TEST(EndMarkPlan, WaitsUntilTheEndMarkWhilePlayingAndPollsOtherwise)
{
    struct Case {
        const char *name;
        double position;
        double endMark;
        bool advancing;
        std::chrono::milliseconds delay;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"close to the end: the exact moment", 59.98, 60.0, true, 20ms},
        {"a fraction of a millisecond is rounded up", 59.9996, 60.0, true, 1ms},
        {"far from the end: the poll", 10.0, 60.0, true, 50ms},
        {"exactly one poll away", 59.95, 60.0, true, 50ms},
        {"paused: the position does not move", 59.98, 60.0, false, 50ms},
        {"already past: as soon as possible", 60.2, 60.0, true, 1ms},
        {"no position", nan, 60.0, true, 50ms},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(delayToNextCheck(c.position, c.endMark, c.advancing, 50ms), c.delay);
    }
}
