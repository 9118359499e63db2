#include "marking/endmarkplan.h"

#include "platform/numbers/numbers.h"

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

TEST(EndMarkPlan, WaitsUntilThePositionFirstReachesTheEndMarkWhilePlayingAndPollsOtherwise)
{
    struct Case {
        const char *name;
        double position;
        double endMark;
        bool advancing;
        std::chrono::milliseconds delay;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // End marks as the song list holds them: 32-bit values of two-decimal texts.
    const double mark60 = numberFromText(QStringLiteral("60"));
    const double mark1235 = numberFromText(QStringLiteral("12.35"));
    const Case cases[] = {
        // 59.995 rounds to 60: the moment is 5 ms before the end mark itself.
        {"close to the end: the moment the rounded position gets there", 59.98, mark60, true, 15ms},
        {"a fraction of a millisecond is rounded up", 59.9946, mark60, true, 1ms},
        {"a mark above its decimals as a 32-bit value", 12.33, mark1235, true, 15ms},
        {"a mark with more decimals counts by its two", 9.99, 10.0049, true, 5ms},
        {"far from the end: the poll", 10.0, mark60, true, 50ms},
        {"exactly one poll away", 59.945, mark60, true, 50ms},
        {"paused: the position does not move", 59.98, mark60, false, 50ms},
        {"already there: as soon as possible", 59.996, mark60, true, 1ms},
        {"already past: as soon as possible", 60.2, mark60, true, 1ms},
        {"no position", nan, mark60, true, 50ms},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(delayToNextCheck(c.position, c.endMark, c.advancing, 50ms), c.delay);
    }
}

TEST(EndMarkPlan, ThePlannedMomentIsTheFirstPositionThatTheRuleCounts)
{
    for (const char *text : {"60", "12.35", "245.3", "0.01", "3.17"}) {
        SCOPED_TRACE(text);
        const float endMark = numberFromText(QString::fromLatin1(text));
        const double moment = firstPositionReaching(endMark);
        EXPECT_FALSE(endMarkReached(moment - 0.0001, endMark));
        EXPECT_TRUE(endMarkReached(moment + 0.0001, endMark));
    }
}
