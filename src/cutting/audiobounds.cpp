#include "audiobounds.h"

#include "byteorder.h"

#include "platform/files/fileio.h"

#include <array>
#include <cstring>

namespace tunora {

namespace {

using Byte = unsigned char;

constexpr qint64 kId3v2HeaderSize = 10;
constexpr qint64 kId3v1Size = 128;
constexpr qint64 kApeFooterSize = 32;

bool readExactly(const ReadFile &file, qint64 offset, Byte *buffer, qint64 count)
{
    return offset >= 0 && file.readAt(offset, reinterpret_cast<char *>(buffer), count) == count;
}

// Total size of an ID3v2 tag starting at offset (header, body, footer), or 0 if none.
qint64 id3v2TagSize(const ReadFile &file, qint64 offset)
{
    Byte h[kId3v2HeaderSize];
    if (!readExactly(file, offset, h, sizeof h))
        return 0;
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF)
        return 0;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80)
        return 0; // the size is syncsafe: a set top bit means this is not a tag header
    const qint64 body = (qint64(h[6]) << 21) | (qint64(h[7]) << 14) | (qint64(h[8]) << 7) | qint64(h[9]);
    const bool hasFooter = h[3] >= 4 && (h[5] & 0x10);
    return kId3v2HeaderSize + body + (hasFooter ? kId3v2HeaderSize : 0);
}

// The length of an MPEG audio frame from its 4-byte header, or 0 when the header is not
// valid or the stream is free-format (no length in the header).
struct FrameHeader {
    qint64 length = 0;
    qint64 sideInfoSize = 0; // Layer III only; 0 otherwise
    qint64 crcSize = 0;
};

FrameHeader parseFrameHeader(const Byte *p)
{
    static constexpr std::array<std::array<int, 16>, 5> kBitrates = {{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // MPEG-1 L1
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // MPEG-1 L2
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // MPEG-1 L3
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // MPEG-2/2.5 L1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // MPEG-2/2.5 L2, L3
    }};
    static constexpr std::array<std::array<int, 3>, 3> kSampleRates = {{
        {44100, 48000, 32000}, // MPEG-1
        {22050, 24000, 16000}, // MPEG-2
        {11025, 12000, 8000},  // MPEG-2.5
    }};

    const quint32 h = bigEndian32(p);
    if ((h & 0xFFE00000u) != 0xFFE00000u)
        return {};
    const int versionBits = (h >> 19) & 3; // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layerBits = (h >> 17) & 3;   // 1: III, 2: II, 3: I
    const int bitrateIndex = (h >> 12) & 15;
    const int rateIndex = (h >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return {};
    const bool mpeg1 = versionBits == 3;
    const int layer = 4 - layerBits;
    const int table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    const qint64 bitrate = qint64(kBitrates[table][bitrateIndex]) * 1000;
    const qint64 sampleRate = kSampleRates[mpeg1 ? 0 : (versionBits == 2 ? 1 : 2)][rateIndex];
    const qint64 padding = (h >> 9) & 1;
    const bool mono = ((h >> 6) & 3) == 3;

    FrameHeader frame;
    if (layer == 1)
        frame.length = (12 * bitrate / sampleRate + padding) * 4;
    else if (layer == 2 || mpeg1)
        frame.length = 144 * bitrate / sampleRate + padding;
    else
        frame.length = 72 * bitrate / sampleRate + padding;
    if (layer == 3)
        frame.sideInfoSize = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    frame.crcSize = (h >> 16) & 1 ? 0 : 2;
    return frame;
}

// Length of the info frame (Xing, Info or VBRI) at offset, or 0 when the frame there is
// audio.
qint64 infoFrameLength(const ReadFile &file, qint64 offset, qint64 end)
{
    constexpr qint64 kVbriOffset = 4 + 32;
    Byte buf[48] = {}; // enough for either marker, after a CRC and the longest side info
    const qint64 available = qMin<qint64>(sizeof buf, end - offset);
    if (available < 4 || file.readAt(offset, reinterpret_cast<char *>(buf), available) != available)
        return 0;
    const FrameHeader frame = parseFrameHeader(buf);
    if (frame.length == 0 || frame.length > end - offset)
        return 0;
    const auto tagAt = [&](qint64 at, const char *tag) {
        return at + 4 <= qMin(available, frame.length) && std::memcmp(buf + at, tag, 4) == 0;
    };
    if (frame.sideInfoSize > 0) {
        const qint64 xingAt = 4 + frame.crcSize + frame.sideInfoSize;
        if (tagAt(xingAt, "Xing") || tagAt(xingAt, "Info"))
            return frame.length;
    }
    if (tagAt(kVbriOffset, "VBRI"))
        return frame.length;
    return 0;
}

// Size of an APEv2 tag that ends at `end` (footer last), or 0 if none.
qint64 apeTagSizeBefore(const ReadFile &file, qint64 begin, qint64 end)
{
    if (end - begin < kApeFooterSize)
        return 0;
    Byte f[kApeFooterSize];
    if (!readExactly(file, end - kApeFooterSize, f, sizeof f) || std::memcmp(f, "APETAGEX", 8) != 0)
        return 0;
    const qint64 sizeWithFooter = littleEndian32(f + 12);
    const bool hasHeader = littleEndian32(f + 20) & 0x80000000u;
    const qint64 total = sizeWithFooter + (hasHeader ? kApeFooterSize : 0);
    if (sizeWithFooter < kApeFooterSize || total > end - begin)
        return 0;
    return total;
}

} // namespace

AudioBounds findAudioBounds(const ReadFile &file)
{
    if (!file.isOpen())
        return {};
    AudioBounds bounds{0, file.size(), file.size()};

    while (const qint64 tag = id3v2TagSize(file, bounds.begin)) {
        if (tag > bounds.end - bounds.begin)
            return {bounds.end, bounds.end, bounds.end}; // a tag that claims more than the file: no audio
        bounds.begin += tag;
    }

    if (bounds.end - bounds.begin >= kId3v1Size) {
        Byte t[3];
        if (readExactly(file, bounds.end - kId3v1Size, t, sizeof t) && std::memcmp(t, "TAG", 3) == 0)
            bounds.end -= kId3v1Size;
    }
    bounds.end -= apeTagSizeBefore(file, bounds.begin, bounds.end);

    bounds.begin += infoFrameLength(file, bounds.begin, bounds.end);
    return bounds;
}

} // namespace tunora
