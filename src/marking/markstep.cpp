#include "markstep.h"

#include "platform/numbers/numbers.h"

namespace tunora {

MarkStep markAfterStep(const QString &mark, const QString &stepSize, const QString &songLength,
                       bool earlier)
{
    const double m = numberFromText(mark);
    const double s = numberFromText(stepSize);
    const QString text = markText(earlier ? m - s : m + s);
    // The check is on the stored text read back, so that it judges exactly what is kept.
    const float t = numberFromText(text);
    if (earlier) {
        if (!isNotBelow(t, 0.0))
            return {MarkStep::Outcome::Negative, text};
    } else if (!(t < numberFromText(songLength))) {
        return {MarkStep::Outcome::PastSongLength, text};
    }
    return {MarkStep::Outcome::Accepted, text};
}

} // namespace tunora
