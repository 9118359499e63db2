#include "mpeggain.h"

#include "fadecurve.h"
#include "layer3sideinfo.h"

#include <algorithm>
#include <cmath>

namespace tunora {

namespace {

constexpr double kDbPerStep = 1.5;

const unsigned char *bytesAt(const QByteArray &stream, qint64 offset)
{
    return reinterpret_cast<const unsigned char *>(stream.constData()) + offset;
}

// A Layer III frame of `format` (any format when none) that the stream holds whole.
std::optional<MpegHeader> wholeFrameAt(const QByteArray &stream, qint64 offset, const std::optional<MpegFormat> &format)
{
    if (offset + 4 > stream.size())
        return std::nullopt;
    const std::optional<MpegHeader> header = parseMpegHeader(bytesAt(stream, offset));
    if (!header || header->format.layer != 3 || (format && header->format != *format)
        || offset + header->length > stream.size())
        return std::nullopt;
    return header;
}

// A frame a decoder would lock on to: followed by another of its format, or by the end.
bool startsStream(const QByteArray &stream, qint64 offset, const MpegHeader &header)
{
    const qint64 next = offset + header.length;
    return next == stream.size() || wholeFrameAt(stream, next, header.format).has_value();
}

} // namespace

std::vector<MpegFrameAt> layer3Frames(const QByteArray &stream)
{
    std::vector<MpegFrameAt> frames;
    std::optional<MpegFormat> format;
    bool locked = false;
    for (qint64 at = 0; at + 4 <= stream.size();) {
        const std::optional<MpegHeader> header = wholeFrameAt(stream, at, format);
        if (header && (locked || startsStream(stream, at, *header))) {
            if (frames.empty() && !format
                && parseInfoFrame(bytesAt(stream, at), stream.size() - at, stream.size() - at).tag != InfoTag::None) {
                format = header->format;
                locked = true;
                at += header->length;
                continue;
            }
            frames.push_back({at, *header});
            format = header->format;
            locked = true;
            at += header->length;
            continue;
        }
        locked = false;
        ++at;
    }
    return frames;
}

bool applyMpegGains(QByteArray &stream, const std::vector<GainSpan> &spans)
{
    const std::vector<MpegFrameAt> frames = layer3Frames(stream);
    if (frames.empty())
        return false;
    const QByteArray original = stream;
    const MpegFormat &format = frames.front().header.format;
    const int granules = granulesPerFrame(format);
    const double granuleSeconds = double(frames.front().header.samplesPerFrame) / granules / format.sampleRate;
    auto *bytes = reinterpret_cast<unsigned char *>(stream.data());
    size_t first = 0;
    for (const GainSpan &span : spans) {
        const size_t count = span.frames < 0 ? frames.size() - first
                                             : size_t(qMin<qint64>(span.frames, qint64(frames.size() - first)));
        const double total = double(count) * granules * granuleSeconds;
        qint64 granule = 0;
        for (size_t f = first; f < first + count; ++f) {
            for (int g = 0; g < granules; ++g, ++granule) {
                const double middle = (double(granule) + 0.5) * granuleSeconds;
                const double fadeDb = fadeAttenuationDb(span.effects, middle, total);
                // Rounded up, so the first step down comes where the fade begins and the last
                // step up where it ends.
                const int steps = span.levelSteps - int(std::ceil(fadeDb / kDbPerStep - 1e-9));
                if (steps != 0)
                    shiftGain(bytes + frames[f].offset, frames[f].header, g, steps);
            }
        }
        first += count;
    }
    // A gain byte can happen to complete a frame header that bytes before it began, so that a
    // decoder would find other frames in the stream than before: such a stream is left as it was.
    const std::vector<MpegFrameAt> after = layer3Frames(stream);
    const auto same = [](const MpegFrameAt &a, const MpegFrameAt &b) {
        return a.offset == b.offset && a.header.bits == b.header.bits;
    };
    if (!std::equal(frames.begin(), frames.end(), after.begin(), after.end(), same)) {
        stream = original;
        return false;
    }
    return true;
}

} // namespace tunora
