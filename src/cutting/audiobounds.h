#pragma once

#include "mpegheader.h"

#include <QtGlobal>

// The part of a song file that holds audio. Tags at either end are not audio, and neither
// is the info frame an encoder puts in front of the audio; a segment's byte rate and
// position count only the audio, so a long cover picture does not shift every cut.
namespace tunora {

class ReadFile;

// Byte offsets, [begin, end).
struct AudioBounds {
    qint64 begin = 0;
    qint64 end = 0;
    // Where the file ends, trailing tags included; 0 when not known (then `end`).
    qint64 fileEnd = 0;
    // The info frame just before `begin`, if there is one.
    InfoFrame info = {};
    qint64 size() const { return end - begin; }
    // The bytes a player counts when it estimates a song's length from the file size:
    // the audio and the tags behind it.
    qint64 rateSize() const { return qMax(fileEnd, end) - begin; }
};

// Looks at a few bytes at the head and the tail only. Recognised: ID3v2 tags at the start
// (one after another), then a first MPEG audio frame carrying a Xing, Info or VBRI header;
// at the end an ID3v1 tag and an APEv2 tag in front of it (or at the very end). A file with
// none of them is all audio. A closed file has no audio.
AudioBounds findAudioBounds(const ReadFile &file);

} // namespace tunora
