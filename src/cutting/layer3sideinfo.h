#pragma once

#include "mpegheader.h"

// The side info of a Layer III frame: where its audio data starts, and how to empty it.
//
// A frame's audio data (main data) may begin in the frames before it, up to 511 bytes back:
// the bit reservoir. When those frames were cut away, or belong to another song after a join,
// a decoder would read someone else's bytes as this frame's audio and play noise.
namespace tunora {

// Bytes of audio data the frame takes from the frames before it.
int mainDataBegin(const unsigned char *frame, const MpegHeader &header);

// Bytes at the end of the audio data stream, up to the end of this frame, that neither this
// frame nor those before it use: room for the next frame's audio data.
int unusedTail(const unsigned char *frame, const MpegHeader &header);

// The most mainDataBegin can be for frames of this format.
int maxMainDataBegin(const MpegFormat &format);

// Empties the frame: every granule silent, its (empty) audio data `mainDataBegin` bytes back.
// The bytes after its side info stay as they are, since the frames behind it may take their
// audio data from there; and since a decoder keeps as its reservoir only what lies behind a
// frame's audio data, mainDataBegin must reach back as far as the bytes that the frames
// behind it take (but no further than the bytes at hand). A CRC is made anew.
void silenceFrame(unsigned char *frame, const MpegHeader &header, int mainDataBegin);

// Sets the header's bit rate to that of `grown` and fills what the frame gains with zeros: its
// audio data stays where it was, and the frame ends with more unused bytes. `frame` holds room
// for grown.length bytes. A CRC is made anew.
void growFrame(unsigned char *frame, const MpegHeader &header, const MpegHeader &grown);

// What the side info says of one granule of one channel: its bits of audio data
// (part2_3_length) and its global gain. Read without decoding, they tell roughly how loud the
// granule is.
struct GranuleSizes {
    int part23Length = 0;
    int globalGain = 0;
};
GranuleSizes granuleSizes(const unsigned char *frame, const MpegHeader &header, int granule, int channel);

// Granules in a frame of this format: two in MPEG-1, one in MPEG-2 and 2.5.
int granulesPerFrame(const MpegFormat &format);

// Lowers the gain of one granule (every channel) by `steps` of 1.5 dB; kSilent and more
// make it silent. Its audio data is left as it is. A CRC is made anew.
constexpr int kSilent = 255;
void lowerGain(unsigned char *frame, const MpegHeader &header, int granule, int steps);

// Moves the gain of one granule (every channel alike, so mid/side and intensity stereo stay
// right) by `steps` of 1.5 dB, up when positive. A gain of 0 stays 0 (that granule is silent
// on purpose); others stop at 0 and 255. Its audio data is left as it is. A CRC is made anew.
void shiftGain(unsigned char *frame, const MpegHeader &header, int granule, int steps);

// The CRC-16 a frame with error protection carries over its header's last two bytes and its
// side info.
quint16 frameCrc(const unsigned char *frame, const MpegHeader &header);

} // namespace tunora
