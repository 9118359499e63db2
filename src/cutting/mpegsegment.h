#pragma once

#include "mpegheader.h"
#include "segment.h"

#include <QByteArray>

#include <vector>

// Which whole frames of an MPEG audio song a row's marks take.
//
// A constant bit rate song spreads its bytes evenly over time, so the marks' proportional
// byte positions land where they should. A variable bit rate song does not: there the frames
// are found by time, each lasting its samples over the sample rate.
namespace tunora {

class ReadFile;
struct AudioBounds;

struct MpegFrameRef {
    qint64 offset = 0;
    quint32 header = 0; // the frame's header as it was found
    qint32 length = 0;
    qint32 payload = 0;       // bytes of audio data it holds (after its side info)
    qint32 mainDataBegin = 0; // bytes of audio data it takes from the frames before
    qint32 unusedTail = 0;    // bytes at the end of the audio data up to it that nothing uses
    int bitrateIndex() const { return int((header >> 12) & 15); }
};

enum class SegmentUse {
    Cut,   // a file of its own: a constant bit rate song keeps its proportional byte slice
    Merge, // one of several: every segment is whole frames
};

struct MpegSegment {
    enum class Kind {
        NotMpeg,      // no stream of frames to walk: the proportional byte slice
        ConstantRate, // every frame one bit rate (padding aside), no Xing or VBRI header
        VariableRate,
    };
    Kind kind = Kind::NotMpeg;
    MpegFormat format;
    // Variable rate: from the frame that holds the start mark to the one that holds the end
    // mark. Constant rate, for a merge: from the frame nearest the proportional start to the
    // frame boundary nearest the proportional end. Empty when the marks take no frame.
    std::vector<MpegFrameRef> frames;
    // The first frame's audio data may begin in the frames before it (the bit reservoir):
    // those bytes, as many as it takes. Empty when it takes none, or when the song does not
    // hold them (then the first frame is emptied when written).
    QByteArray reservoir;
};

// Walks the song's frame headers from the start of its audio, only as far as it must: to the
// end mark once the song is known to be VBR, else to its end (to know it is CBR).
MpegSegment locateMpegSegment(const ReadFile &file, const AudioBounds &audio, const SongRow &row, SegmentUse use);

} // namespace tunora
