#include "endmarkplan.h"

#include "platform/numbers/numbers.h"

#include <algorithm>
#include <cmath>

namespace tunora {

bool endMarkReached(double position, float endMark)
{
    return isNotBelow(roundTo2(position), roundTo2(endMark));
}

double firstPositionReaching(double endMark)
{
    return roundTo2(endMark) - 0.005;
}

std::chrono::milliseconds delayToNextCheck(double position, double endMark, bool advancing,
                                           std::chrono::milliseconds poll)
{
    const double remainingMs = (firstPositionReaching(endMark) - position) * 1000.0;
    if (!advancing || !std::isfinite(remainingMs) || remainingMs >= double(poll.count()))
        return poll;
    // Rounded up to whole milliseconds (less a microsecond of arithmetic noise): a check
    // that comes a little early finds the end not yet reached and plans a short wait more.
    const auto wait = static_cast<std::chrono::milliseconds::rep>(std::ceil(remainingMs - 0.001));
    return std::chrono::milliseconds(std::max<std::chrono::milliseconds::rep>(wait, 1));
}

} // namespace tunora
