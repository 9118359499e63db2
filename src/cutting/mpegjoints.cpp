#include "mpegjoints.h"

namespace tunora {

namespace {

qint32 payloadOf(const MpegHeader &header)
{
    return qint32(header.length - header.payloadOffset());
}

// A silent frame of the first frame's format that ends with the reservoir bytes: of the
// first frame's own bit rate when it is large enough, else of the lowest that is. Empty when
// no frame of the format is large enough.
QByteArray carrierFrame(const MpegFrameRef &first, const QByteArray &reservoir)
{
    const std::optional<MpegHeader> own = parseMpegHeader(first.header);
    if (!own)
        return {};
    std::optional<MpegHeader> carrier = withBitrateIndex(*own, first.bitrateIndex());
    for (int index = 1; index <= 14 && !(carrier && payloadOf(*carrier) >= reservoir.size()); ++index)
        carrier = withBitrateIndex(*own, index);
    if (!carrier || payloadOf(*carrier) < reservoir.size())
        return {};
    // All-zero side info: no audio data, every granule silent.
    QByteArray frame(carrier->length, 0);
    for (int i = 0; i < 4; ++i)
        frame[i] = char(carrier->bits >> (24 - 8 * i));
    frame.replace(frame.size() - reservoir.size(), reservoir.size(), reservoir);
    return frame;
}

// The header that gives the segment's last frame room for `bytes` more unused bytes at its end;
// 0 when it has the room as it is, nothing when no bit rate gives it.
std::optional<quint32> roomFor(const MpegSegment &segment, qint64 bytes)
{
    const MpegFrameRef &last = segment.frames.back();
    qint64 payloads = 0;
    for (const MpegFrameRef &frame : segment.frames)
        payloads += frame.payload;
    const qint64 unused = qMin<qint64>(last.unusedTail, payloads); // only what the segment holds
    if (unused >= bytes)
        return 0;
    const std::optional<MpegHeader> own = parseMpegHeader(last.header);
    for (int index = last.bitrateIndex() + 1; own && index <= 14; ++index) {
        const std::optional<MpegHeader> grown = withBitrateIndex(*own, index);
        if (grown && unused + grown->length - last.length >= bytes)
            return grown->bits;
    }
    return std::nullopt;
}

} // namespace

std::vector<SegmentWriting> planWriting(const std::vector<const MpegSegment *> &segments)
{
    std::vector<SegmentWriting> writing(segments.size());
    for (size_t i = 0; i < segments.size(); ++i) {
        writing[i].fadeIn = i > 0;
        writing[i].fadeOut = i + 1 < segments.size();
    }
    for (size_t i = 0; i < segments.size(); ++i) {
        const MpegSegment &segment = *segments[i];
        const QByteArray &reservoir = segment.reservoir;
        if (segment.frames.empty() || reservoir.isEmpty())
            continue;
        if (i > 0 && !segments[i - 1]->frames.empty()) {
            if (const std::optional<quint32> grown = roomFor(*segments[i - 1], reservoir.size())) {
                writing[i - 1].grownLast = *grown;
                writing[i - 1].tail = reservoir;
                writing[i].held = reservoir.size();
                continue;
            }
        }
        writing[i].carrier = carrierFrame(segment.frames.front(), reservoir);
        if (!writing[i].carrier.isEmpty())
            writing[i].held = reservoir.size();
    }
    return writing;
}

std::vector<qint32> writtenLengths(const MpegSegment &segment, const SegmentWriting &writing)
{
    std::vector<qint32> lengths;
    lengths.reserve(segment.frames.size() + 1);
    if (!writing.carrier.isEmpty())
        lengths.push_back(qint32(writing.carrier.size()));
    for (const MpegFrameRef &frame : segment.frames)
        lengths.push_back(frame.length);
    if (writing.grownLast && !lengths.empty())
        lengths.back() = qint32(parseMpegHeader(writing.grownLast)->length);
    return lengths;
}

} // namespace tunora
