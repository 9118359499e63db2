#include "endmarkplan.h"

#include "platform/numbers.h"

#include <algorithm>
#include <cmath>

namespace tunora {

bool endMarkReached(double position, double endMark)
{
    return isNotBelow(roundTo2(position), endMark);
}

std::chrono::milliseconds delayToNextCheck(double position, double endMark, bool advancing,
                                           std::chrono::milliseconds poll)
{
    const double remainingMs = (endMark - position) * 1000.0;
    if (!advancing || !std::isfinite(remainingMs) || remainingMs >= double(poll.count()))
        return poll;
    // Rounded up: a check that comes a little early finds the end not yet reached and
    // only plans a short wait more.
    const auto wait = static_cast<std::chrono::milliseconds::rep>(std::ceil(remainingMs));
    return std::chrono::milliseconds(std::max<std::chrono::milliseconds::rep>(wait, 1));
}

} // namespace tunora
