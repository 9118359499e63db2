#pragma once

#include "ringtoneeffects.h"

#include <cstdint>

// The fades' shape, one rule for every format: the level rises in a straight line of decibels
// from kFadeFloorDb to the song's own over the fade-in, and falls the same way over the
// fade-out.
namespace tunora {

constexpr double kFadeFloorDb = 40.0;

// Decibels to take off the sound at `seconds` into an output that lasts `totalSeconds`
// (0 outside the fades; where they overlap, the deeper of the two).
double fadeAttenuationDb(const RingtoneEffects &effects, double seconds, double totalSeconds);

// The factor sample frame `frame` of `frames` at `sampleRate` is scaled by, along the fades and
// by `levelDb` more: exactly 1 where neither changes it, so that such samples stay as they are.
double sampleFrameGain(const RingtoneEffects &effects, double levelDb, int64_t frame, int64_t frames, int sampleRate);

} // namespace tunora
