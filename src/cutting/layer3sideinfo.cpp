#include "layer3sideinfo.h"

#include <cstring>

namespace tunora {

int mainDataBegin(const unsigned char *frame, const MpegHeader &header)
{
    const unsigned char *side = frame + header.sideInfoOffset();
    return header.format.version == 10 ? (int(side[0]) << 1) | (side[1] >> 7) : int(side[0]);
}

namespace {

// Side info: main_data_begin, private bits (and in MPEG-1 scfsi), then per granule and
// channel a block of fixed size: part2_3_length (the granule's bits of audio data, 12 bits),
// big_values (9), global_gain (8), ...
int firstBlockBit(const MpegHeader &header)
{
    const int channels = header.format.channels;
    return header.format.version == 10 ? 9 + (channels == 1 ? 5 : 3) + 4 * channels : 8 + channels;
}

int blockBits(const MpegHeader &header)
{
    return header.format.version == 10 ? 59 : 63;
}

int readBits(const unsigned char *p, int at, int count)
{
    int v = 0;
    for (int bit = at; bit < at + count; ++bit)
        v = (v << 1) | ((p[bit / 8] >> (7 - bit % 8)) & 1);
    return v;
}

void writeBits(unsigned char *p, int at, int count, int v)
{
    for (int i = 0; i < count; ++i) {
        const int bit = at + i;
        const unsigned char mask = (unsigned char)(1 << (7 - bit % 8));
        if ((v >> (count - 1 - i)) & 1)
            p[bit / 8] |= mask;
        else
            p[bit / 8] &= (unsigned char)~mask;
    }
}

void putCrc(unsigned char *frame, const MpegHeader &header)
{
    if (!header.hasCrc)
        return;
    const quint16 crc = frameCrc(frame, header);
    frame[4] = (unsigned char)(crc >> 8);
    frame[5] = (unsigned char)(crc & 0xFF);
}

} // namespace

int granulesPerFrame(const MpegFormat &format)
{
    return format.version == 10 ? 2 : 1;
}

GranuleSizes granuleSizes(const unsigned char *frame, const MpegHeader &header, int granule, int channel)
{
    const unsigned char *side = frame + header.sideInfoOffset();
    const int at = firstBlockBit(header) + (granule * header.format.channels + channel) * blockBits(header);
    return {readBits(side, at, 12), readBits(side, at + 21, 8)};
}

void lowerGain(unsigned char *frame, const MpegHeader &header, int granule, int steps)
{
    unsigned char *side = frame + header.sideInfoOffset();
    for (int channel = 0; channel < header.format.channels; ++channel) {
        const int at = firstBlockBit(header) + (granule * header.format.channels + channel) * blockBits(header) + 21;
        const int gain = readBits(side, at, 8);
        writeBits(side, at, 8, steps >= kSilent ? 0 : qMax(0, gain - steps));
    }
    putCrc(frame, header);
}

void shiftGain(unsigned char *frame, const MpegHeader &header, int granule, int steps)
{
    unsigned char *side = frame + header.sideInfoOffset();
    for (int channel = 0; channel < header.format.channels; ++channel) {
        const int at = firstBlockBit(header) + (granule * header.format.channels + channel) * blockBits(header) + 21;
        const int gain = readBits(side, at, 8);
        if (gain != 0)
            writeBits(side, at, 8, qBound(0, gain + steps, 255));
    }
    putCrc(frame, header);
}

int unusedTail(const unsigned char *frame, const MpegHeader &header)
{
    const unsigned char *side = frame + header.sideInfoOffset();
    const int blocks = granulesPerFrame(header.format) * header.format.channels;
    qint64 bits = 0;
    for (int block = 0; block < blocks; ++block)
        bits += readBits(side, firstBlockBit(header) + block * blockBits(header), 12);
    const qint64 payload = header.length - header.payloadOffset();
    return int(qMax<qint64>(0, payload + mainDataBegin(frame, header) - (bits + 7) / 8));
}

int maxMainDataBegin(const MpegFormat &format)
{
    return format.version == 10 ? 511 : 255;
}

void growFrame(unsigned char *frame, const MpegHeader &header, const MpegHeader &grown)
{
    frame[2] = (unsigned char)((grown.bits >> 8) & 0xFF);
    std::memset(frame + header.length, 0, size_t(grown.length - header.length));
    MpegHeader result = header;
    result.bits = (header.bits & 0xFFFF00FFu) | (grown.bits & 0x0000FF00u);
    putCrc(frame, result);
}

quint16 frameCrc(const unsigned char *frame, const MpegHeader &header)
{
    quint16 crc = 0xFFFF;
    const auto feed = [&crc](unsigned char byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = ((crc >> 15) ^ (byte >> bit)) & 1;
            crc = quint16(crc << 1);
            if (top)
                crc ^= 0x8005;
        }
    };
    feed(frame[2]);
    feed(frame[3]);
    for (int i = 0; i < header.sideInfoSize; ++i)
        feed(frame[header.sideInfoOffset() + i]);
    return crc;
}

void silenceFrame(unsigned char *frame, const MpegHeader &header, int mainDataBegin)
{
    // All zero is a valid side info: for every granule no bits, no scale factors, long blocks
    // and the lowest gain.
    unsigned char *side = frame + header.sideInfoOffset();
    std::memset(side, 0, size_t(header.sideInfoSize));
    if (header.format.version == 10) {
        side[0] = (unsigned char)((mainDataBegin >> 1) & 0xFF);
        side[1] = (unsigned char)((mainDataBegin & 1) << 7);
    } else {
        side[0] = (unsigned char)(mainDataBegin & 0xFF);
    }
    putCrc(frame, header);
}

} // namespace tunora
