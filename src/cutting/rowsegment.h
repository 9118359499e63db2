#pragma once

#include "mpegjoints.h"
#include "mpegsegment.h"
#include "sourcesegment.h"

#include <optional>

// What a row takes from its song as the cut and merge engines write it: a byte range in
// proportion to the marks, or whole MPEG frames.
namespace tunora {

struct RowSegment {
    ReadFile file;
    bool byFrames = false;
    SegmentRange range; // when not by frames
    MpegSegment mpeg;   // the song's stream and, when by frames, the frames
    bool empty() const { return byFrames ? mpeg.frames.empty() : range.empty(); }
    // What must match for two segments to play as one stream: nothing for a byte range of a
    // file that holds no MPEG stream.
    std::optional<MpegFormat> format() const;
};

// A variable bit rate song gives frames by time; a constant bit rate song gives frames only
// for a merge, and the proportional byte slice for a cut; anything else the byte slice.
RowSegment locateRowSegment(ReadFile file, const SongRow &row, SegmentUse use);

// `writing` plans how the frames go (see planWriting); a byte range goes as it is.
CopyResult copyRowSegment(const RowSegment &segment, const SegmentWriting &writing, AtomicFileWriter &out);

} // namespace tunora
