#pragma once

#include <QtGlobal>

#include <optional>

// The 4-byte header in front of every MPEG audio frame (MP3, MP2), and the info frame an
// encoder may put first in the stream (Xing, Info, VBRI) to describe it.
namespace tunora {

// What a decoder must keep from one frame to the next: a stream that changes any of these
// plays wrong on many decoders.
struct MpegFormat {
    int version = 0; // 10: MPEG-1, 20: MPEG-2, 25: MPEG-2.5
    int layer = 0;   // 1, 2, 3
    int sampleRate = 0;
    int channels = 0; // 1 or 2
    bool operator==(const MpegFormat &) const = default;
};

struct MpegHeader {
    quint32 bits = 0;
    MpegFormat format;
    int bitrateIndex = 0; // 1..14: frames of one index have one bit rate
    bool hasCrc = false;  // two bytes of CRC follow the header
    qint64 length = 0;    // the whole frame in bytes, header included
    int samplesPerFrame = 0;
    int sideInfoSize = 0; // Layer III; 0 otherwise

    // Layer III frames carry side info; from it on, bytes are main data (the frame's payload).
    qint64 sideInfoOffset() const { return 4 + (hasCrc ? 2 : 0); }
    qint64 payloadOffset() const { return sideInfoOffset() + sideInfoSize; }
};

// Nothing when the bytes are not a frame header, or one of a free-format stream (its
// frame length is not in the header).
std::optional<MpegHeader> parseMpegHeader(const unsigned char *p);
std::optional<MpegHeader> parseMpegHeader(quint32 bits);

// The header of a frame of `model`'s format with another bit rate index, no padding and no
// CRC; nothing when the index is not valid.
std::optional<MpegHeader> withBitrateIndex(const MpegHeader &model, int bitrateIndex);

enum class InfoTag {
    None,
    Xing, // a variable bit rate stream
    Info, // the same for a constant bit rate stream
    Vbri,
};

struct InfoFrame {
    InfoTag tag = InfoTag::None;
    qint64 length = 0; // of the frame that holds it
    // Samples the encoder put in front of the audio, from a LAME tag behind the Xing or Info
    // data; a decoder that reads the tag drops them and the decoder's own delay.
    std::optional<int> encoderDelay;
};

// Bytes an info frame needs to be read from its start, LAME tag included.
constexpr qint64 kInfoFrameReadSize = 192;

// The info frame at p, of which `size` bytes were read, `bytesToEnd` before the audio ends;
// tag None when the frame there is audio.
InfoFrame parseInfoFrame(const unsigned char *p, qint64 size, qint64 bytesToEnd);

} // namespace tunora
