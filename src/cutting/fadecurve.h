#pragma once

#include "ringtoneeffects.h"

// The fades' shape, one rule for every format: the level rises in a straight line of decibels
// from kFadeFloorDb to the song's own over the fade-in, and falls the same way over the
// fade-out.
namespace tunora {

constexpr double kFadeFloorDb = 40.0;

// Decibels to take off the sound at `seconds` into an output that lasts `totalSeconds`
// (0 outside the fades; where they overlap, the deeper of the two).
double fadeAttenuationDb(const RingtoneEffects &effects, double seconds, double totalSeconds);

} // namespace tunora
