// The number rules on arbitrary text and values: numberFromText never fails or gives a value
// that is not finite, and markText writes the two-decimal text that reads back as the value.
//
// Input: the whole input is a UTF-8 text to read as a number; its first eight bytes, where
// there are eight, are also taken as a double to write as a mark.

#include "fuzzcheck.h"

#include "platform/numbers/numbers.h"

#include <QString>

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace tunora;
using namespace tunora::fuzz;
using namespace Qt::StringLiterals;

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// "-"? digits ("." one or two digits, the last not 0)?, and never "-0".
bool isMarkText(const QString &text)
{
    if (text == u"-0"_s || text.isEmpty())
        return false;
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype intStart = i;
    while (i < text.size() && isDigit(text.at(i)))
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text.at(intStart) == u'0'))
        return false;
    if (i == text.size())
        return true;
    if (text.at(i) != u'.')
        return false;
    const qsizetype fraction = text.size() - i - 1;
    if (fraction < 1 || fraction > 2 || text.endsWith(u'0'))
        return false;
    for (qsizetype j = i + 1; j < text.size(); ++j) {
        if (!isDigit(text.at(j)))
            return false;
    }
    return true;
}

// A plain decimal number and nothing else: [+-]? digits with at most one point.
bool isPlainNumber(const QString &text)
{
    qsizetype i = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text.at(i)))
            digit = true;
        else if (text.at(i) == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

void checkMark(double x)
{
    const QString text = markText(x);
    check(isMarkText(text), "a mark text is plain digits with at most two decimals and never -0",
          escaped(text) + QString::asprintf(" from %.17g", x));
    const double rounded = roundTo2(x);
    if (!std::isfinite(x)) {
        check(text == u"0"_s, "a value that is not finite is written as 0", escaped(text));
        return;
    }
    check(std::fabs(rounded - x) <= 0.005 + std::fabs(x) * 1e-15, "rounding moves a value by at most half a hundredth",
          QString::asprintf("%.17g -> %.17g", x, rounded));
    if (std::fabs(x) > 1e7)
        return;
    const double back = double(numberFromText(text));
    check(std::fabs(back - x) <= 0.005 + std::fabs(x) * FLT_EPSILON + 1e-9,
          "a mark text reads back within half a hundredth and float precision",
          escaped(text) + QString::asprintf(" from %.17g reads %.17g", x, back));
    // Below 2^17 a float keeps hundredths apart, so the text survives its own round trip.
    if (std::fabs(x) < 100000)
        check(markText(back) == text, "a mark text read back writes the same text",
              escaped(text) + u" -> "_s + escaped(markText(back)));

    const std::int64_t t64 = truncToInt64(x);
    check(double(t64) == std::trunc(x), "truncation toward zero", QString::asprintf("%.17g", x));
}

void checkText(const QString &text)
{
    const float value = numberFromText(text);
    check(std::isfinite(value), "a number from text is finite", escaped(text));
    check(numberFromText(text + u"x"_s) == value, "text after the number does not count", escaped(text));
    check(numberFromText(u" "_s + text) == value, "spaces before the number do not count", escaped(text));
    if (!text.isEmpty() && (isDigit(text.at(0)) || text.at(0) == u'.'))
        check(numberFromText(u"-"_s + text) == -value, "a minus sign negates", escaped(text));

    // The conversion itself against the C library, on texts that are a number and nothing else
    // (this program never changes the C locale, so strtof reads '.' as the point).
    const QString trimmed = text.trimmed();
    if (isPlainNumber(trimmed)) {
        const QByteArray ascii = trimmed.toLatin1();
        float expected = std::strtof(ascii.constData(), nullptr);
        if (std::isinf(expected))
            expected = std::copysign(FLT_MAX, expected);
        check(value == expected, "a plain number reads as the nearest float",
              escaped(text) + QString::asprintf(": %.9g, strtof %.9g", double(value), double(expected)));
    }
    checkMark(double(value));
}


} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    checkText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (size >= sizeof(double)) {
        double x = 0;
        std::memcpy(&x, data, sizeof x);
        checkMark(x);
        // Values out of range saturate instead of overflowing.
        check(std::isfinite(x) || truncToInt64(x) == 0, "a value that is not finite truncates to 0");
        if (std::isfinite(x))
            check(isNotBelow(x, x) && !isNotBelow(x, x + 1.0 + std::fabs(x)), "a value is not below itself only",
                  QString::asprintf("%.17g", x));
    }
    return 0;
}
