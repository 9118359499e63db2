#pragma once

#include "segment.h"

// The marks of a row as times, for containers that are cut by time rather than by bytes.
namespace tunora {

// Seconds from the start of the song, [start, end).
struct MarkedSpan {
    double start = 0;
    double end = 0;
    bool empty() const { return !(end > start); }
};

// The marks as the cells give them (single precision, as every mark is read); a start
// before the song starts at its beginning.
MarkedSpan markedSpanOf(const SongRow &row);

} // namespace tunora
