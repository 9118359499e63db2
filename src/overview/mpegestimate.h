#pragma once

#include "songoverview.h"

#include <atomic>
#include <optional>

namespace tunora {

class ReadFile;

// A first estimate of an MPEG audio song's loudness from its Layer III frames' side info alone
// (each granule's global gain and the size of its audio data), read without decoding: a walk
// over the file's frames, a few milliseconds for a long song. Nothing when the file holds no
// Layer III frames, or once `cancelled` is set.
std::optional<SongOverview> estimateMpegOverview(const ReadFile &file, const std::atomic<bool> &cancelled);

} // namespace tunora
