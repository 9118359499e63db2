#pragma once

#include "segment.h"

#include "platform/files/fileio.h"

// A row's segment located in its open song file, and its bytes copied out by positioned
// reads: only the segment is read, never the whole file.
namespace tunora {

struct SourceSegment {
    ReadFile file;
    SegmentRange range; // empty when the file is missing, unreadable or the marks give nothing
};

SourceSegment locateSegment(const FilePath &songFolder, const SongRow &row);
// The same, in a song file already open.
SourceSegment locateSegment(ReadFile file, const SongRow &row);

enum class CopyResult { Copied, ReadFailed, WriteFailed };

// Appends the range's bytes to out. ReadFailed when the source no longer holds them (it shrank
// or failed since it was opened); what was appended of it is then left in out.
CopyResult copyRange(const ReadFile &file, SegmentRange range, AtomicFileWriter &out);

} // namespace tunora
