#include "cutengine.h"

#include "sourcesegment.h"

#include <ranges>

namespace tunora {

namespace {

CutOutcome writeCut(const SongRow &row, const SourceSegment &segment, const OutputDirs &dirs)
{
    const QString fileName = ringtoneFileName(row.name);
    AtomicFileWriter out(workPath(dirs, fileName));
    if (copySegment(segment, out) != CopyResult::Copied || !out.commit())
        return CutOutcome::WriteFailed;
    moveToProgramDir(dirs, fileName);
    return CutOutcome::Written;
}

} // namespace

CutOutcome cutOne(const QString &songFolder, const SongRow &row, const OutputDirs &dirs)
{
    const SourceSegment segment = locateSegment(songFolder, row);
    if (segment.range.empty())
        return CutOutcome::Nothing;
    return writeCut(row, segment, dirs);
}

CutTally cutAll(const QString &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs)
{
    CutTally tally;
    for (const SongRow &row : rowsTopToBottom | std::views::reverse) {
        if (!isMarked(row)) {
            ++tally.failed;
            continue;
        }
        // An empty segment would make an empty file: that is a failure, not a ringtone.
        const SourceSegment segment = locateSegment(songFolder, row);
        if (!segment.range.empty() && writeCut(row, segment, dirs) == CutOutcome::Written)
            ++tally.succeeded;
        else
            ++tally.failed;
    }
    return tally;
}

} // namespace tunora
