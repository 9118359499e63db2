#pragma once

#include "songoverview.h"

#include <atomic>
#include <chrono>
#include <optional>

namespace tunora {

class FilePath;

// A first estimate of the song's loudness, for the strip to draw while its decoded sound is
// read: an MP3 from its frames' side info, the other formats from short stretches decoded at
// evenly spaced points (which needs the song's length, `knownSeconds` > 0, except for a WAV).
// Ready within a few tens of milliseconds; nothing when the song cannot be read that way, or once `cancelled` is
// set. Blocks the caller: run it off the GUI thread.
//
// Looks that open the song anew each take up to `lookingTime` (and the one under way then):
// as many as that allows, spread over the whole song, the rest filled in from the nearest.
constexpr std::chrono::milliseconds kLookingTime{50};
std::optional<SongOverview> estimateOverview(const FilePath &path, double knownSeconds,
                                             const std::atomic<bool> &cancelled,
                                             std::chrono::milliseconds lookingTime = kLookingTime);

} // namespace tunora
