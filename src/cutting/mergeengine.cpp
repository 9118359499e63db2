#include "mergeengine.h"

#include "container.h"
#include "mpegjoints.h"
#include "rowsegment.h"
#include "shapeoutput.h"
#include "xingframe.h"

#include <functional>
#include <optional>
#include <ranges>
#include <utility>
#include <vector>

namespace tunora {

namespace {

// Each song is opened again when its segment is written: a merge of many rows holds one song
// open at a time.
struct PlannedSegment {
    FilePath path;
    RowSegment segment;
};

struct Plan {
    std::vector<PlannedSegment> segments;
    int failed = 0;
};

// The merge plays as one stream only when its frames agree in version, layer, sample rate
// and channel count: the segments are all found before a byte is written, and a segment that
// does not match the first one counts as failed.
Plan planMerge(const FilePath &songFolder, const QList<SongRow> &rowsTopToBottom, const RowProgress &progress)
{
    Plan plan;
    const auto setAside = [&] {
        ++plan.failed;
        if (progress)
            progress(plan.failed);
    };
    std::optional<std::optional<MpegFormat>> first; // of the first segment: a format, or none
    for (const SongRow &row : rowsTopToBottom | std::views::reverse) {
        if (!isMarked(row)) {
            setAside();
            continue;
        }
        // The merge is an MPEG file: a song in another container would corrupt it.
        const FilePath path = songFolder / row.name;
        ReadFile source(path);
        if (detectContainer(source) != Container::Unrecognised) {
            setAside();
            continue;
        }
        RowSegment segment = locateRowSegment(std::move(source), row, SegmentUse::Merge);
        if (segment.empty() || (first && *first != segment.format())) {
            setAside();
            continue;
        }
        first = segment.format();
        segment.file = ReadFile();
        plan.segments.push_back({path, std::move(segment)});
    }
    return plan;
}

// How the segments' frames go one after another; nothing for byte ranges.
std::vector<SegmentWriting> writingOf(const std::vector<PlannedSegment> &segments)
{
    std::vector<const MpegSegment *> mpeg;
    for (const PlannedSegment &planned : segments)
        mpeg.push_back(&planned.segment.mpeg);
    if (segments.empty() || !segments.front().segment.byFrames)
        return std::vector<SegmentWriting>(segments.size());
    return planWriting(mpeg);
}

// An info frame when the merge's frames do not all share one bit rate, so a player shows
// its length; empty otherwise (a constant bit rate stream's length follows from its size).
QByteArray infoFrameFor(const std::vector<PlannedSegment> &segments, const std::vector<SegmentWriting> &writing)
{
    if (segments.empty() || !segments.front().segment.byFrames)
        return {};
    const quint32 model = segments.front().segment.mpeg.frames.front().header;
    const auto bitrateOf = [](quint32 header) { return (header >> 12) & 15; };
    bool oneBitrate = true;
    std::vector<qint32> lengths;
    for (size_t i = 0; i < segments.size(); ++i) {
        const MpegSegment &mpeg = segments[i].segment.mpeg;
        const std::vector<qint32> own = writtenLengths(mpeg, writing[i]);
        lengths.insert(lengths.end(), own.begin(), own.end());
        for (const MpegFrameRef &frame : mpeg.frames)
            oneBitrate = oneBitrate && bitrateOf(frame.header) == bitrateOf(model);
        const QByteArray &carrier = writing[i].carrier;
        if (!carrier.isEmpty())
            oneBitrate = oneBitrate && (uchar(carrier[2]) >> 4) == bitrateOf(model);
        if (writing[i].grownLast)
            oneBitrate = oneBitrate && bitrateOf(writing[i].grownLast) == bitrateOf(model);
    }
    const std::optional<MpegHeader> header = parseMpegHeader(model);
    return oneBitrate || !header ? QByteArray() : xingFrame(*header, lengths);
}

// With effects chosen, the segments fade at the joints instead of having granules silenced there.
std::vector<SegmentWriting> writingFor(const std::vector<PlannedSegment> &segments, const RingtoneEffects &effects)
{
    std::vector<SegmentWriting> writing = writingOf(segments);
    if (effects.any()) {
        for (SegmentWriting &one : writing)
            one.fadeIn = one.fadeOut = false;
    }
    return writing;
}

std::vector<qint64> framesWritten(const std::vector<PlannedSegment> &segments, const std::vector<SegmentWriting> &writing)
{
    std::vector<qint64> frames;
    for (size_t i = 0; i < segments.size(); ++i)
        frames.push_back(qint64(writtenLengths(segments[i].segment.mpeg, writing[i]).size()));
    return frames;
}

enum class Written { All, WriteFailed, SourceChanged };

// The info frame, then every segment. SourceChanged leaves `changed` at the segment whose song
// no longer holds what was found in it.
Written writeMerge(std::vector<PlannedSegment> &segments, AtomicFileWriter &out, size_t &changed,
                   const std::vector<SegmentWriting> &writing,
                   const std::function<void(size_t written)> &onWritten)
{
    const QByteArray info = infoFrameFor(segments, writing);
    if (!out.write(info.constData(), info.size()))
        return Written::WriteFailed;
    for (size_t i = 0; i < segments.size(); ++i) {
        RowSegment &segment = segments[i].segment;
        segment.file = ReadFile(segments[i].path);
        const CopyResult copied = copyRowSegment(segment, writing[i], out);
        segment.file = ReadFile();
        switch (copied) {
        case CopyResult::Copied:
            onWritten(i + 1);
            break;
        case CopyResult::ReadFailed:
            changed = i;
            return Written::SourceChanged;
        case CopyResult::WriteFailed:
            return Written::WriteFailed;
        }
    }
    return Written::All;
}

} // namespace

MergeOutcome mergeAll(const FilePath &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs,
                      const RingtoneEffects &effects, const RowProgress &progress)
{
    using Kind = MergeOutcome::Kind;
    MergeOutcome outcome;
    if (rowsTopToBottom.size() < 2) {
        outcome.kind = Kind::Refused;
        return outcome;
    }

    Plan plan = planMerge(songFolder, rowsTopToBottom, progress);
    outcome.failed = plan.failed;
    if (plan.segments.empty()) {
        outcome.kind = Kind::Nothing;
        return outcome;
    }
    AtomicFileWriter out(workPath(dirs, kMergeOutputName));
    for (;;) {
        size_t changed = 0;
        const Written written = writeMerge(plan.segments, out, changed, writingFor(plan.segments, effects),
                                           [&](size_t segmentsWritten) {
                                               if (progress)
                                                   progress(outcome.failed + int(segmentsWritten));
                                           });
        if (written == Written::All)
            break;
        if (written == Written::WriteFailed) {
            outcome.kind = Kind::WriteFailed;
            return outcome;
        }
        // A song changed under us: go on without it, from the start, since the info frame
        // in front describes every segment.
        ++outcome.failed;
        plan.segments.erase(plan.segments.begin() + qsizetype(changed));
        if (plan.segments.empty()) {
            outcome.kind = Kind::Nothing;
            return outcome;
        }
        if (!out.truncate(0)) {
            outcome.kind = Kind::WriteFailed;
            return outcome;
        }
    }
    outcome.merged = int(plan.segments.size());
    if (effects.any() && plan.segments.front().segment.byFrames)
        shapeMerge(out, framesWritten(plan.segments, writingFor(plan.segments, effects)), effects);
    if (!out.commit()) {
        outcome.kind = Kind::WriteFailed;
        return outcome;
    }
    outcome.kind = moveToProgramDir(dirs, kMergeOutputName) ? Kind::Written : Kind::WrittenInWorkDir;
    return outcome;
}

} // namespace tunora
