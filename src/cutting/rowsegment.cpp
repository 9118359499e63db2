#include "rowsegment.h"

#include "audiobounds.h"
#include "mpegframecopy.h"

#include <utility>

namespace tunora {

std::optional<MpegFormat> RowSegment::format() const
{
    if (mpeg.kind == MpegSegment::Kind::NotMpeg)
        return std::nullopt;
    return mpeg.format;
}

RowSegment locateRowSegment(ReadFile file, const SongRow &row, SegmentUse use)
{
    RowSegment segment{std::move(file), false, {}, {}};
    const AudioBounds audio = findAudioBounds(segment.file);
    segment.mpeg = locateMpegSegment(segment.file, audio, row, use);
    segment.byFrames = segment.mpeg.kind == MpegSegment::Kind::VariableRate
        || (segment.mpeg.kind == MpegSegment::Kind::ConstantRate && use == SegmentUse::Merge);
    if (!segment.byFrames)
        segment.range = segmentOf(row, audio);
    return segment;
}

CopyResult copyRowSegment(const RowSegment &segment, const SegmentWriting &writing, AtomicFileWriter &out)
{
    if (segment.byFrames)
        return copyFrames(segment.file, segment.mpeg, writing, out);
    return copyRange(segment.file, segment.range, out);
}

} // namespace tunora
