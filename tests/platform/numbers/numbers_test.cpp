#include "platform/numbers/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tunora;

TEST(NumberFromText, ReadsLeadingDecimalNumberAsFloat)
{
    struct Case { const char *text; float expected; };
    const Case cases[] = {
        {"", 0.0f}, {"abc", 0.0f}, {".", 0.0f}, {"-", 0.0f},
        {"12", 12.0f}, {"12.", 12.0f}, {"12.347", 12.347f}, {".5", 0.5f},
        {"-3.25", -3.25f}, {"+4", 4.0f}, {" 7 ", 7.0f}, {"3abc", 3.0f},
        {"1e5", 1.0f}, {"inf", 0.0f}, {"nan", 0.0f}, {"1,5", 1.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(numberFromText(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(NumberFromText, OutOfFloatRangeSaturatesOrVanishes)
{
    const QString tiny = u"0." + QString(50, u'0') + u"5";
    const QString huge = u"1" + QString(50, u'0') + u".5";
    EXPECT_EQ(numberFromText(tiny), 0.0f);
    EXPECT_EQ(numberFromText(u"-" + tiny + u"abc"), 0.0f);
    EXPECT_EQ(numberFromText(tiny.mid(1)), 0.0f); // ".000…5"
    EXPECT_EQ(numberFromText(huge), std::numeric_limits<float>::max());
    EXPECT_EQ(numberFromText(u"-" + huge), -std::numeric_limits<float>::max());
    EXPECT_EQ(numberFromText(u"000" + huge), std::numeric_limits<float>::max());
}

TEST(NumberFromText, IsSinglePrecision)
{
    // 0.7 as a float lies just below 0.7: the cut engine's last digits depend on it.
    EXPECT_EQ(static_cast<double>(numberFromText(QStringLiteral("0.7"))), static_cast<double>(0.7f));
    EXPECT_LT(static_cast<double>(numberFromText(QStringLiteral("0.7"))), 0.7);
}

TEST(MarkText, RoundsToTwoDecimalsAndDropsTrailingZeros)
{
    struct Case { double value; const char *expected; };
    const Case cases[] = {
        {12.346, "12.35"}, {3.214, "3.21"}, {9.14, "9.14"}, {12.5, "12.5"}, {20.0, "20"},
        {0.0, "0"}, {-0.001, "0"}, {-10.0, "-10"}, {83.456, "83.46"}, {0.004, "0"},
        {245.49999, "245.5"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(markText(c.value), QString::fromUtf8(c.expected));
    }
}

TEST(MarkText, HugeValuesStayWhole)
{
    // Values this large have no decimals; scaling them for rounding must not overflow.
    const double largest = std::numeric_limits<double>::max();
    for (const double value : {largest, -largest, 1e300, 0x1p52 + 1.0}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(roundTo2(value), value);
        EXPECT_EQ(markText(value), QString::number(value, 'f', 0));
    }
}

TEST(Truncation, TowardZeroWithNonFiniteAsZero)
{
    EXPECT_EQ(truncToInt64(16.99), 16);
    EXPECT_EQ(truncToInt64(-16.99), -16);
    EXPECT_EQ(truncToInt64(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(truncToInt64(std::nan("")), 0);
    EXPECT_EQ(truncToInt64(1e300), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(truncToInt64(-1e300), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(truncToInt64(5e9), 5000000000LL);
}
