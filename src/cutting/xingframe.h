#pragma once

#include "mpegheader.h"

#include <QByteArray>

#include <vector>

// The info frame that goes first in a variable bit rate MP3: a player reads the stream's
// frame count and byte count from it, and a table of where each hundredth of its time starts.
// Without one a player takes the length from the first frame's bit rate, and shows and seeks
// a VBR ringtone wrong.
namespace tunora {

// An Xing frame for a stream of frames of `model`'s format with these lengths (the info frame
// itself not among them). Its side info is empty, so a decoder that does not know the frame
// plays it as one frame of silence. Empty for Layer I and II, which have no such frame.
QByteArray xingFrame(const MpegHeader &model, const std::vector<qint32> &frameLengths);

} // namespace tunora
