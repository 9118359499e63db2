#include "fadecurve.h"

#include <algorithm>
#include <cmath>

namespace tunora {

namespace {

// 1 at the fade's outer end, 0 from `length` on.
double depth(double fromEdge, double length)
{
    if (length <= 0 || fromEdge >= length)
        return 0.0;
    return 1.0 - std::max(0.0, fromEdge) / length;
}

} // namespace

double fadeAttenuationDb(const RingtoneEffects &effects, double seconds, double totalSeconds)
{
    const double in = effects.fadeIn ? depth(seconds, effects.fadeInSeconds) : 0.0;
    const double out = effects.fadeOut ? depth(totalSeconds - seconds, effects.fadeOutSeconds) : 0.0;
    return kFadeFloorDb * std::max(in, out);
}

double sampleFrameGain(const RingtoneEffects &effects, double levelDb, int64_t frame, int64_t frames, int sampleRate)
{
    // Each frame is judged at its middle.
    const double db = levelDb
        - fadeAttenuationDb(effects, (double(frame) + 0.5) / sampleRate, double(frames) / sampleRate);
    return db == 0.0 ? 1.0 : std::pow(10.0, db / 20.0);
}

} // namespace tunora
