#pragma once

#include "songoverview.h"

#include <atomic>
#include <optional>

namespace tunora {

class FilePath;

// The decoded sound's overview of the song at `path`; nothing when it cannot be decoded (or the
// module that decodes is missing), or once `cancelled` is set. When the song's length is
// known (`knownSeconds` > 0) its two halves are decoded side by side. Blocks the caller: run it
// off the GUI thread.
std::optional<SongOverview> readOverview(const FilePath &path, double knownSeconds,
                                         const std::atomic<bool> &cancelled);

} // namespace tunora
