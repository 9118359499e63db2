#include "mergeengine.h"

#include "container.h"
#include "songsource.h"
#include "sourcesegment.h"

#include <optional>
#include <ranges>
#include <utility>

namespace tunora {

MergeOutcome mergeAll(const QString &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs)
{
    using Kind = MergeOutcome::Kind;
    MergeOutcome outcome;
    if (rowsTopToBottom.size() < 2) {
        outcome.kind = Kind::Refused;
        return outcome;
    }

    // Created with the first segment, so a merge with nothing in it leaves no file behind.
    std::optional<AtomicFileWriter> out;
    for (const SongRow &row : rowsTopToBottom | std::views::reverse) {
        if (!isMarked(row)) {
            ++outcome.failed;
            continue;
        }
        // The merge is an MPEG file: a song in another container would corrupt it.
        ReadFile source(sourcePath(songFolder, row.name));
        if (detectContainer(source) != Container::Unrecognised) {
            ++outcome.failed;
            continue;
        }
        const SourceSegment segment = locateSegment(std::move(source), row);
        if (segment.range.empty()) {
            ++outcome.failed;
            continue;
        }
        if (!out)
            out.emplace(workPath(dirs, kMergeOutputName));
        const qint64 before = out->size();
        switch (copySegment(segment, *out)) {
        case CopyResult::Copied:
            ++outcome.merged;
            break;
        case CopyResult::ReadFailed:
            // The song changed under us: drop its partial bytes and go on without it.
            ++outcome.failed;
            if (!out->truncate(before)) {
                outcome.kind = Kind::WriteFailed;
                return outcome;
            }
            break;
        case CopyResult::WriteFailed:
            outcome.kind = Kind::WriteFailed;
            return outcome;
        }
    }

    if (outcome.merged == 0) {
        outcome.kind = Kind::Nothing;
        return outcome;
    }
    if (!out->commit()) {
        outcome.kind = Kind::WriteFailed;
        return outcome;
    }
    outcome.kind = moveToProgramDir(dirs, kMergeOutputName) ? Kind::Written : Kind::WrittenInWorkDir;
    return outcome;
}

} // namespace tunora
