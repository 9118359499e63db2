#pragma once

#include "mpegsegment.h"

#include <QByteArray>

#include <vector>

// How segments of MPEG frames are written one after another so that every frame finds the
// audio data it takes from the frames before it (the bit reservoir).
//
// At a joint, the first frame of a segment takes its reservoir from the end of the segment
// before, where that one leaves bytes unused: they are filled with the reservoir bytes, from the
// frames of its own song, so it plays whole and nothing is heard of the joint. When the bytes
// left there are too few, the last frame of the segment before grows (a higher bit rate, the
// same audio) to make room. Only where that cannot be, and in front of the first segment, a
// silent frame carries the reservoir: one frame of silence.
//
// Where two segments meet, the last granule before the joint and the first after it are made
// silent and their neighbours 1.5 dB softer (their gains lowered; the audio data stays). A
// decoder overlaps each granule with the next, and two unrelated granules overlapped add what
// each would have cancelled with its own neighbour: up to twice the signal, a click. Silent
// granules on both sides, with a softer one before them, keep every sample within a few
// percent of the segments' own level.
namespace tunora {

struct SegmentWriting {
    QByteArray carrier;    // a silent frame to write before the segment's frames
    quint32 grownLast = 0; // the header the last frame takes to make room for `tail`; 0: its own
    QByteArray tail;       // the next segment's reservoir: the last bytes of this one's audio data
    qint64 held = 0;       // bytes of the first frame's reservoir in front of it in the output
    bool fadeIn = false;   // a segment comes before this one
    bool fadeOut = false;  // a segment comes after this one
};

std::vector<SegmentWriting> planWriting(const std::vector<const MpegSegment *> &segments);

// The lengths of the frames a segment is written as, in order, carrier included.
std::vector<qint32> writtenLengths(const MpegSegment &segment, const SegmentWriting &writing);

} // namespace tunora
