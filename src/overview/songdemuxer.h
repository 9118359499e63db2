#pragma once

#include "cutting/container.h"

namespace tunora {

// libavformat's name for a song's format; the program plays anything it does not recognise by
// its first bytes as MPEG audio.
const char *demuxerOf(Container container);

} // namespace tunora
