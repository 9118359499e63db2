#include "mpegheader.h"

#include "byteorder.h"

#include <array>
#include <cstring>

namespace tunora {

namespace {

constexpr std::array<std::array<int, 16>, 5> kBitratesKbps = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // MPEG-1 L1
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // MPEG-1 L2
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // MPEG-1 L3
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // MPEG-2/2.5 L1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // MPEG-2/2.5 L2, L3
}};

constexpr std::array<std::array<int, 3>, 3> kSampleRates = {{
    {44100, 48000, 32000}, // MPEG-1
    {22050, 24000, 16000}, // MPEG-2
    {11025, 12000, 8000},  // MPEG-2.5
}};

// A LAME tag's encoder name starts with one of these (LAME itself, or LAME inside FFmpeg);
// other encoders' tags do not hold the delay where LAME's does.
constexpr const char *kLameTagNames[] = {"LAME", "Lavf", "Lavc"};

std::optional<int> lameEncoderDelay(const unsigned char *p, qint64 size, qint64 xingAt)
{
    qint64 at = xingAt + 4;
    if (at + 4 > size)
        return std::nullopt;
    const quint32 flags = bigEndian32(p + at);
    at += 4;
    at += (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    // Encoder name (9), revision, low-pass, peak (4), two gains (2 each), flags, bit rate.
    const qint64 delayAt = at + 21;
    if (delayAt + 3 > size)
        return std::nullopt;
    for (const char *name : kLameTagNames)
        if (std::memcmp(p + at, name, 4) == 0)
            return (int(p[delayAt]) << 4) | (p[delayAt + 1] >> 4);
    return std::nullopt;
}

} // namespace

std::optional<MpegHeader> parseMpegHeader(const unsigned char *p)
{
    return parseMpegHeader(bigEndian32(p));
}

std::optional<MpegHeader> parseMpegHeader(quint32 h)
{
    if ((h & 0xFFE00000u) != 0xFFE00000u)
        return std::nullopt;
    const int versionBits = (h >> 19) & 3; // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layerBits = (h >> 17) & 3;   // 1: III, 2: II, 3: I
    const int bitrateIndex = (h >> 12) & 15;
    const int rateIndex = (h >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    const bool mpeg1 = versionBits == 3;
    const int layer = 4 - layerBits;
    const int table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    const qint64 bitrate = qint64(kBitratesKbps[table][bitrateIndex]) * 1000;
    const int sampleRate = kSampleRates[mpeg1 ? 0 : (versionBits == 2 ? 1 : 2)][rateIndex];
    const qint64 padding = (h >> 9) & 1;
    const bool mono = ((h >> 6) & 3) == 3;

    MpegHeader header;
    header.bits = h;
    header.format = {mpeg1 ? 10 : (versionBits == 2 ? 20 : 25), layer, sampleRate, mono ? 1 : 2};
    header.bitrateIndex = bitrateIndex;
    header.hasCrc = !((h >> 16) & 1);
    if (layer == 1) {
        header.length = (12 * bitrate / sampleRate + padding) * 4;
        header.samplesPerFrame = 384;
    } else if (layer == 2 || mpeg1) {
        header.length = 144 * bitrate / sampleRate + padding;
        header.samplesPerFrame = 1152;
    } else {
        header.length = 72 * bitrate / sampleRate + padding;
        header.samplesPerFrame = 576;
    }
    if (layer == 3)
        header.sideInfoSize = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return header;
}

std::optional<MpegHeader> withBitrateIndex(const MpegHeader &model, int bitrateIndex)
{
    if (bitrateIndex < 1 || bitrateIndex > 14)
        return std::nullopt;
    return parseMpegHeader((model.bits & ~(quint32(15) << 12) & ~(quint32(1) << 9)) | (quint32(bitrateIndex) << 12)
                           | (quint32(1) << 16));
}

InfoFrame parseInfoFrame(const unsigned char *p, qint64 size, qint64 bytesToEnd)
{
    constexpr qint64 kVbriAt = 4 + 32;
    if (size < 4)
        return {};
    const std::optional<MpegHeader> frame = parseMpegHeader(p);
    if (!frame || frame->length > bytesToEnd)
        return {};
    const qint64 inFrame = qMin(size, frame->length);
    const auto tagAt = [&](qint64 at, const char *tag) {
        return at + 4 <= inFrame && std::memcmp(p + at, tag, 4) == 0;
    };
    if (frame->format.layer == 3) {
        // LAME and FFmpeg put the tag right after the side info as if there were no CRC;
        // some writers leave room for the CRC.
        for (const qint64 xingAt : {4 + qint64(frame->sideInfoSize), frame->payloadOffset()}) {
            const bool xing = tagAt(xingAt, "Xing");
            if (xing || tagAt(xingAt, "Info"))
                return {xing ? InfoTag::Xing : InfoTag::Info, frame->length, lameEncoderDelay(p, inFrame, xingAt)};
        }
    }
    if (tagAt(kVbriAt, "VBRI"))
        return {InfoTag::Vbri, frame->length, std::nullopt};
    return {};
}

} // namespace tunora
