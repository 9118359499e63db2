#pragma once

#include "audiobounds.h"

#include <QString>
#include <QtGlobal>

// The arithmetic that turns a row's marks into a byte range of its song file: the audio
// size over the song length gives whole bytes per millisecond, and the marks scale it.
namespace tunora {

// One row of the song list, cells 0..4 as the list shows them.
struct SongRow {
    QString name;       // 歌曲名: file name, relative to the song folder
    QString start;      // 开始时间, seconds
    QString end;        // 结束时间, seconds
    QString cutLength;  // 剪切长度, seconds
    QString songLength; // 歌曲长度, seconds
};

// A row counts as marked when its cut length is above zero, beyond the tolerance.
bool isMarked(const SongRow &row);

// The figures of one row. Inputs are single-precision, as read from the cells; products
// are taken in double precision in a fixed order and truncated, so the last byte of a
// position is reproducible. Sizes and positions are 64-bit: files over 2 GiB cut right.
struct SegmentFigures {
    qint64 S = 0;  // audio size in bytes
    float D = 0;   // song length
    qint64 R = 0;  // whole bytes per millisecond
    float T0 = 0;  // start mark
    float T1 = 0;  // end mark
    qint64 P = 0;  // position of the first byte, counted from 1 at the start of the audio
    qint64 L = 0;  // length in bytes, before clipping
};

// `rateSize` is the byte count the rate is taken from; by default the audio size.
SegmentFigures segmentFigures(const SongRow &row, qint64 audioSize, qint64 rateSize = -1);

// Absolute, zero-based byte range of a file.
struct SegmentRange {
    qint64 offset = 0;
    qint64 length = 0;
    bool empty() const { return length <= 0; }
};

// The run of L bytes at position P of the audio, clipped to the audio: empty when P lies
// past its end or L is not positive. A start at 0 (P = 0) takes L bytes from the first
// byte. The rate counts a trailing tag with the audio: a player that estimates a song's
// length from its size counts it too, and a rate taken from the audio alone then falls just
// short of a whole number and truncates to one byte per millisecond less, cutting every
// ringtone of a 128 kbps song 6% short.
SegmentRange segmentOf(const SongRow &row, AudioBounds audio);

} // namespace tunora
