#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tunora {

float numberFromText(const QString &text)
{
    const std::string s = text.trimmed().toStdString();
    const char *first = s.data();
    const char *last = s.data() + s.size();
    bool negative = false;
    if (first != last && (*first == '-' || *first == '+')) {
        negative = *first == '-';
        ++first;
    }
    // Only digits and a decimal point make a number here: no "inf", "nan" or exponents.
    const char *end = first;
    bool seenPoint = false;
    bool seenDigit = false;
    for (; end != last; ++end) {
        if (*end >= '0' && *end <= '9') {
            seenDigit = true;
        } else if (*end == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0f;
    float value = 0.0f;
    const auto [ptr, ec] = std::from_chars(first, end, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a float: only a whole part with a non-zero digit is large.
        const bool large = std::any_of(first, std::find(first, end, '.'), [](char c) { return c != '0'; });
        value = large ? std::numeric_limits<float>::max() : 0.0f;
    } else if (ec != std::errc() || ptr == first)
        return 0.0f;
    return negative ? -value : value;
}

bool isNotBelow(double value, double bound)
{
    return value - bound >= -kTolerance;
}

double roundTo2(double value)
{
    // From 2^52 on every double is whole, and scaling it by 100 could overflow to infinity.
    if (!std::isfinite(value) || std::fabs(value) >= 0x1p52)
        return value;
    return std::round(value * 100.0) / 100.0;
}

QString markText(double value)
{
    const double rounded = roundTo2(value);
    if (!std::isfinite(rounded))
        return QStringLiteral("0");
    QString text = QString::number(rounded, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

std::int64_t truncToInt64(double value)
{
    using Limits = std::numeric_limits<std::int64_t>;
    if (!std::isfinite(value))
        return 0;
    const double t = std::trunc(value);
    if (t >= static_cast<double>(Limits::max()))
        return Limits::max();
    if (t <= static_cast<double>(Limits::min()))
        return Limits::min();
    return static_cast<std::int64_t>(t);
}

} // namespace tunora
