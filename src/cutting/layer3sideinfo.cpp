#include "layer3sideinfo.h"

#include <cstring>

namespace tunora {

int mainDataBegin(const unsigned char *frame, const MpegHeader &header)
{
    const unsigned char *side = frame + header.sideInfoOffset();
    return header.format.version == 10 ? (int(side[0]) << 1) | (side[1] >> 7) : int(side[0]);
}

int maxMainDataBegin(const MpegFormat &format)
{
    return format.version == 10 ? 511 : 255;
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
    if (header.hasCrc) {
        const quint16 crc = frameCrc(frame, header);
        frame[4] = (unsigned char)(crc >> 8);
        frame[5] = (unsigned char)(crc & 0xFF);
    }
}

} // namespace tunora
