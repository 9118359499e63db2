#pragma once

#include <QString>
#include <cstdint>

// The number rules every handler shares: numbers live as texts in the controls and are
// converted here, and only here.
namespace tunora {

// Comparisons of fractional values allow this much slack.
inline constexpr double kTolerance = 0.0000001;

// A number held as text, as a 32-bit float. The longest leading decimal number counts
// ("12." is 12, "3abc" is 3); empty or non-numeric text gives 0. Never depends on the
// user's locale.
float numberFromText(const QString &text);

// Whether `value` is not below `bound`: it counts when at least the bound minus kTolerance.
bool isNotBelow(double value, double bound);

// Rounded to two decimals, halves away from zero.
double roundTo2(double value);

// A value stored back as text: rounded to two decimals, plain decimal digits, no trailing
// zeros, never "-0" ("83.46", "12.5", "20", "-10").
QString markText(double value);

// Truncation toward zero; a value that is not finite gives 0, one out of range saturates.
std::int64_t truncToInt64(double value);

} // namespace tunora
