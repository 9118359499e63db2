#pragma once

#include "mpegjoints.h"
#include "mpegsegment.h"
#include "sourcesegment.h"

#include <QByteArray>

#include <vector>

// Whole MPEG frames copied from a song into an output, so the output starts and ends on a
// frame boundary.
namespace tunora {

// Appends the segment to out as `writing` plans it: its carrier frame, then its frames, read in
// large runs, the last grown and ending with the next segment's reservoir. A Layer III frame
// whose audio data would still begin before what is in front of it in the output is emptied:
// it decodes as silence rather than as someone else's bytes. ReadFailed when a frame is no
// longer where the walk found it: the song changed since.
CopyResult copyFrames(const ReadFile &file, const MpegSegment &segment, const SegmentWriting &writing,
                      AtomicFileWriter &out);

// The last `count` bytes of the frames' payloads (the audio data after their side info), or
// nothing when the frames cannot be read as they were found.
QByteArray payloadTail(const ReadFile &file, const std::vector<MpegFrameRef> &frames, qint64 count);

} // namespace tunora
