#include "mpegsegment.h"

#include "audiobounds.h"
#include "markedspan.h"
#include "mpegframecopy.h"
#include "mpegframes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tunora {

namespace {

// A Layer III decoder's output runs this many samples behind its input. A player that reads
// the encoder's delay from a LAME tag drops both, so its time 0 is that many samples into
// what the frames decode to.
constexpr int kDecoderDelay = 529;
// Longer than any frame, and than the frames that hold a frame's bit reservoir: the frames
// near the proportional positions lie within it.
constexpr qint64 kFrameMargin = 4096;
// More frames than can hold the most audio data a frame takes from before it.
constexpr qint64 kMostReservoirFrames = 128;

// The frame index whose decoded samples hold sample position `samples`.
qint64 frameIndexAt(double samples, int samplesPerFrame, bool roundUp)
{
    const double index = samples / samplesPerFrame;
    if (!(index > 0))
        return 0;
    constexpr double kFar = 1e15; // beyond any song; keeps the conversion defined
    return qint64(std::min(roundUp ? std::ceil(index) : std::floor(index), kFar));
}

MpegFrameRef refOf(const MpegFrame &frame)
{
    const MpegHeader &h = frame.header;
    return {frame.offset, h.bits, qint32(h.length), qint32(h.length - h.payloadOffset()), frame.mainDataBegin,
            frame.unusedTail};
}

// candidates[first, end) into the segment, with the bytes of the frames just before `first`
// that hold its bit reservoir.
void takeFrames(MpegSegment &segment, const ReadFile &file, const std::vector<MpegFrameRef> &candidates,
                size_t first, size_t end)
{
    segment.frames.clear();
    segment.reservoir.clear();
    if (first >= end)
        return;
    segment.frames.assign(candidates.begin() + qsizetype(first), candidates.begin() + qsizetype(end));
    const qint64 needed = candidates[first].mainDataBegin;
    size_t from = first;
    qint64 held = 0;
    while (from > 0 && held < needed
           && candidates[from - 1].offset + candidates[from - 1].length == candidates[from].offset) {
        --from;
        held += candidates[from].payload;
    }
    if (needed > 0 && held >= needed)
        segment.reservoir = payloadTail(file, {candidates.begin() + qsizetype(from), candidates.begin() + qsizetype(first)},
                                        needed);
}

// The frames from the one that starts nearest `bytes`' start to the one that ends nearest its
// end.
void takeNearestFrames(MpegSegment &segment, const ReadFile &file, const std::vector<MpegFrameRef> &near,
                       SegmentRange bytes)
{
    if (near.empty() || bytes.empty())
        return;
    const qint64 end = bytes.offset + bytes.length;
    size_t first = 0;
    size_t last = 0;
    for (size_t i = 0; i < near.size(); ++i) {
        if (std::abs(near[i].offset - bytes.offset) < std::abs(near[first].offset - bytes.offset))
            first = i;
        if (std::abs(near[i].offset + near[i].length - end) < std::abs(near[last].offset + near[last].length - end))
            last = i;
    }
    if (last < first) // the boundary nearest the end is the start: no frame
        return;
    takeFrames(segment, file, near, first, last + 1);
}

} // namespace

MpegSegment locateMpegSegment(const ReadFile &file, const AudioBounds &audio, const SongRow &row, SegmentUse use)
{
    MpegFrameWalk walk(file, audio.begin, audio.end);
    std::optional<MpegFrame> frame = walk.next();
    if (!frame)
        return {};
    const MpegHeader first = frame->header;
    const bool saysVariable = audio.info.tag == InfoTag::Xing || audio.info.tag == InfoTag::Vbri;

    // Frames by time, as a player counts time.
    const MarkedSpan span = markedSpanOf(row);
    const double delay = first.format.layer == 3 && audio.info.encoderDelay
        ? double(*audio.info.encoderDelay + kDecoderDelay)
        : 0.0;
    qint64 firstByTime = 0;
    qint64 endByTime = 0;
    if (!span.empty()) {
        const double rate = first.format.sampleRate;
        firstByTime = frameIndexAt(span.start * rate + delay, first.samplesPerFrame, false);
        endByTime = frameIndexAt(span.end * rate + delay, first.samplesPerFrame, true);
    }
    // Frames by bytes, for a constant bit rate song in a merge.
    const SegmentRange bytes = use == SegmentUse::Merge ? segmentOf(row, audio) : SegmentRange{};

    MpegSegment segment;
    segment.format = first.format;
    bool oneBitrate = true;
    std::vector<MpegFrameRef> byTime;
    std::vector<MpegFrameRef> nearBytes;
    for (; frame; frame = walk.next()) {
        oneBitrate = oneBitrate && frame->header.bitrateIndex == first.bitrateIndex;
        const bool inTime = frame->index >= firstByTime - kMostReservoirFrames && frame->index < endByTime;
        const bool nearTheBytes = !bytes.empty() && frame->offset + frame->header.length > bytes.offset - kFrameMargin
            && frame->offset < bytes.offset + bytes.length + kFrameMargin;
        if (inTime || nearTheBytes)
            walk.readSideInfo(*frame);
        if (inTime)
            byTime.push_back(refOf(*frame));
        if (nearTheBytes)
            nearBytes.push_back(refOf(*frame));
        // Known to be VBR, and every frame it takes found: the rest of the song plays no part.
        if ((saysVariable || !oneBitrate) && frame->index + 1 >= endByTime)
            break;
    }
    if (!walk.uniform())
        return {}; // not one stream: the frames' times do not add up as one
    if (saysVariable || !oneBitrate) {
        segment.kind = MpegSegment::Kind::VariableRate;
        const size_t before = size_t(qBound<qint64>(0, firstByTime, kMostReservoirFrames));
        takeFrames(segment, file, byTime, qMin(before, byTime.size()), byTime.size());
    } else {
        segment.kind = MpegSegment::Kind::ConstantRate;
        takeNearestFrames(segment, file, nearBytes, bytes);
    }
    return segment;
}

} // namespace tunora
