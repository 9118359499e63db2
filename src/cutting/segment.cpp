#include "segment.h"

#include "platform/numbers/numbers.h"

#include <algorithm>
#include <cmath>

namespace tunora {

namespace {
constexpr double kRateSlack = 1e-3;    // of the rate
constexpr double kMaxRateSlack = 0.01; // bytes per millisecond
}

bool isMarked(const SongRow &row)
{
    return double(numberFromText(row.cutLength)) > kTolerance;
}

SegmentFigures segmentFigures(const SongRow &row, qint64 audioSize, qint64 rateSize)
{
    SegmentFigures f;
    f.S = qMax<qint64>(audioSize, 0);
    f.D = numberFromText(row.songLength);
    const qint64 rateBytes = rateSize < 0 ? f.S : rateSize;
    // The song length comes to us rounded to the millisecond and through a 32-bit float,
    // and a constant bit rate is a whole number of bytes per millisecond (128 kbps: 16):
    // a quotient a hair below that number is that number, not one less, which would cut
    // every ringtone 6% short. A rate truly below a whole number stays below it.
    const double rate = double(rateBytes) / double(f.D) / 1000.0;
    const double slack = std::isfinite(rate) ? std::min(std::abs(rate) * kRateSlack, kMaxRateSlack) : 0.0;
    f.R = truncToInt64(rate + slack);
    f.T0 = numberFromText(row.start);
    f.P = truncToInt64(double(f.T0) * double(f.R) * 1000.0);
    f.T1 = numberFromText(row.end);
    f.L = truncToInt64((double(f.T1) - double(f.T0)) * double(f.R) * 1000.0);
    return f;
}

SegmentRange segmentOf(const SongRow &row, AudioBounds audio)
{
    const SegmentFigures f = segmentFigures(row, audio.size(), audio.rateSize());
    if (f.L <= 0)
        return {};
    // Positions count from 1. A start at 0 keeps its full length; a start before the audio
    // (a negative mark) keeps only the part of the run that lies inside it.
    qint64 first = f.P;
    qint64 length = f.L;
    if (first < 0) {
        // length + first cannot overflow (signs differ); first - 1 can, for a saturated P.
        length = (length + first) - 1;
        first = 1;
    } else if (first == 0) {
        first = 1;
    }
    const qint64 offset = first - 1;
    if (length <= 0 || offset >= f.S)
        return {};
    return {audio.begin + offset, qMin(length, f.S - offset)};
}

} // namespace tunora
