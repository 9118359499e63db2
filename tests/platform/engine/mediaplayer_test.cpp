#include "platform/engine/mediaplayer.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tunora;

TEST(DurationText, DecimalSecondsWithThreePlacesOrEmptyWhenUnknown)
{
    struct Case {
        double seconds;
        const char *text;
    };
    const Case cases[] = {
        {245.512, "245.512"},
        {180, "180.000"},
        {0, "0.000"},
        {0.0004, "0.000"},
        {61.2996, "61.300"},
        // Never an exponent: the readers of the text take plain decimals only.
        {1e-7, "0.000"},
        {12345678.9, "12345678.900"},
        {-1, ""},
        {std::numeric_limits<double>::quiet_NaN(), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(durationText(c.seconds), QString::fromLatin1(c.text));
    }
}
