#pragma once

#include "mpegsegment.h"
#include "sourcesegment.h"

#include <vector>

// Whole MPEG frames copied from a song into an output, so the output starts and ends on a
// frame boundary.
namespace tunora {

// Appends the frames to out, read in large runs. The first Layer III frames whose audio data
// begins in frames that are not copied along are emptied (they decode as silence rather than
// as the bytes that come before them in the output). ReadFailed when a frame is no longer
// where the walk found it: the song changed since.
CopyResult copyFrames(const ReadFile &file, const std::vector<MpegFrameRef> &frames, AtomicFileWriter &out);

// The lengths of the frames, in order.
std::vector<qint32> frameLengths(const std::vector<MpegFrameRef> &frames);

} // namespace tunora
