#include "sourcesegment.h"

#include <memory>
#include <utility>

namespace tunora {

namespace {
// Large enough that system calls cost little next to the copying, small enough to keep
// memory flat however long the segment is.
constexpr qint64 kCopyChunk = qint64(1) << 20;
} // namespace

SourceSegment locateSegment(const FilePath &songFolder, const SongRow &row)
{
    return locateSegment(ReadFile(songFolder / row.name), row);
}

SourceSegment locateSegment(ReadFile file, const SongRow &row)
{
    SourceSegment segment{std::move(file), {}};
    segment.range = segmentOf(row, findAudioBounds(segment.file));
    return segment;
}

CopyResult copyRange(const ReadFile &file, SegmentRange range, AtomicFileWriter &out)
{
    const qint64 chunk = qMin(kCopyChunk, range.length);
    if (chunk <= 0)
        return CopyResult::Copied;
    const auto buffer = std::make_unique_for_overwrite<char[]>(size_t(chunk));
    qint64 offset = range.offset;
    qint64 left = range.length;
    while (left > 0) {
        const qint64 want = qMin(chunk, left);
        if (!readExactly(file, offset, buffer.get(), want))
            return CopyResult::ReadFailed;
        if (!out.write(buffer.get(), want))
            return CopyResult::WriteFailed;
        offset += want;
        left -= want;
    }
    return CopyResult::Copied;
}

} // namespace tunora
