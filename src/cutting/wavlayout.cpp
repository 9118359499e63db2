#include "wavlayout.h"

#include "byteorder.h"

#include "platform/files/fileio.h"

#include <cmath>
#include <cstring>

namespace tunora {

namespace {

using Byte = unsigned char;

constexpr qint64 kRiffHeaderSize = 12;
constexpr qint64 kChunkHeaderSize = 8;
constexpr qint64 kMinFmtBody = 16;
constexpr qint64 kMaxFmtBody = 1024; // WAVEFORMATEXTENSIBLE is 40; anything far larger is damage
constexpr int kMaxChunks = 4096;

bool isPlainSampleFormat(quint16 tag)
{
    return tag == 1 || tag == 3 || tag == 6 || tag == 7; // PCM, IEEE float, A-law, mu-law
}

bool parseFmt(const QByteArray &chunk, WavLayout &layout)
{
    const auto *body = reinterpret_cast<const Byte *>(chunk.constData()) + kChunkHeaderSize;
    const qint64 bodySize = littleEndian32(reinterpret_cast<const Byte *>(chunk.constData()) + 4);
    quint16 tag = littleEndian16(body);
    layout.sampleRate = littleEndian32(body + 4);
    layout.blockAlign = littleEndian16(body + 12);
    constexpr quint16 kExtensible = 0xFFFE;
    if (tag == kExtensible && bodySize >= 26)
        tag = littleEndian16(body + 24); // the sub-format GUID starts with the plain format tag
    layout.plainSamples = isPlainSampleFormat(tag);
    return layout.sampleRate > 0 && layout.blockAlign > 0;
}

} // namespace

std::optional<WavLayout> parseWav(const ReadFile &file)
{
    Byte riff[kRiffHeaderSize];
    if (!readExactly(file, 0, riff, sizeof riff)
        || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;

    WavLayout layout;
    bool haveFmt = false;
    qint64 at = kRiffHeaderSize;
    for (int chunks = 0; chunks < kMaxChunks; ++chunks) {
        Byte header[kChunkHeaderSize];
        if (!readExactly(file, at, header, sizeof header))
            return std::nullopt;
        const qint64 size = littleEndian32(header + 4);
        const qint64 body = at + kChunkHeaderSize;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (size < kMinFmtBody || size > kMaxFmtBody)
                return std::nullopt;
            const qint64 whole = kChunkHeaderSize + size + (size & 1);
            layout.fmtChunk = QByteArray(whole, '\0');
            if (!readExactly(file, at, layout.fmtChunk.data(), kChunkHeaderSize + size)
                || !parseFmt(layout.fmtChunk, layout))
                return std::nullopt;
            haveFmt = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFmt || body > file.size())
                return std::nullopt;
            layout.dataOffset = body;
            layout.dataSize = qMin(size, file.size() - body);
            return layout;
        }
        at = body + size + (size & 1);
        if (at >= file.size())
            return std::nullopt;
    }
    return std::nullopt;
}

SegmentRange wavStretch(const WavLayout &layout, MarkedSpan span)
{
    if (span.empty() || layout.blockAlign == 0)
        return {};
    const qint64 frames = layout.dataSize / layout.blockAlign;
    // Clamped as doubles first, so a mark far past the end cannot overflow.
    const auto frameAt = [&](double seconds) {
        const double frame = std::floor(seconds * double(layout.sampleRate));
        return frame >= double(frames) ? frames : qint64(qMax(frame, 0.0));
    };
    const qint64 first = frameAt(span.start);
    const qint64 last = frameAt(span.end);
    if (last <= first)
        return {};
    return {layout.dataOffset + first * layout.blockAlign, (last - first) * layout.blockAlign};
}

QByteArray wavHeader(const WavLayout &layout, qint64 dataSize)
{
    const qint64 riffSize = 4 + layout.fmtChunk.size() + kChunkHeaderSize + dataSize + (dataSize & 1);
    if (dataSize < 0 || riffSize > qint64(0xFFFFFFFFu))
        return {};
    QByteArray header("RIFF");
    appendLittleEndian(header, quint32(riffSize), 4);
    header.append("WAVE");
    header.append(layout.fmtChunk);
    header.append("data");
    appendLittleEndian(header, quint32(dataSize), 4);
    return header;
}

} // namespace tunora
