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

// The most mainDataBegin can be for frames of this format.
int maxMainDataBegin(const MpegFormat &format);

// Empties the frame: every granule silent, its (empty) audio data `mainDataBegin` bytes back.
// The bytes after its side info stay as they are, since the frames behind it may take their
// audio data from there; and since a decoder keeps as its reservoir only what lies behind a
// frame's audio data, mainDataBegin must reach back as far as the bytes that the frames
// behind it take (but no further than the bytes at hand). A CRC is made anew.
void silenceFrame(unsigned char *frame, const MpegHeader &header, int mainDataBegin);

// The CRC-16 a frame with error protection carries over its header's last two bytes and its
// side info.
quint16 frameCrc(const unsigned char *frame, const MpegHeader &header);

} // namespace tunora
