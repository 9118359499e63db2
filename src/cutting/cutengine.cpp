#include "cutengine.h"

#include "container.h"
#include "containercut.h"
#include "songsource.h"
#include "sourcesegment.h"

#include <ranges>

namespace tunora {

namespace {

CutOutcome commitCut(const SongRow &row, AtomicFileWriter &out, const OutputDirs &dirs)
{
    if (!out.commit())
        return CutOutcome::WriteFailed;
    return moveToProgramDir(dirs, ringtoneFileName(row.name)) ? CutOutcome::Written : CutOutcome::WrittenInWorkDir;
}

CutOutcome cutSlice(const SongRow &row, ReadFile source, const OutputDirs &dirs)
{
    const SourceSegment segment = locateSegment(std::move(source), row);
    if (segment.range.empty())
        return CutOutcome::Nothing;
    AtomicFileWriter out(workPath(dirs, ringtoneFileName(row.name)));
    if (copySegment(segment, out) != CopyResult::Copied)
        return CutOutcome::WriteFailed;
    return commitCut(row, out, dirs);
}

CutOutcome cutAsContainer(const SongRow &row, Container container, const ReadFile &source, const OutputDirs &dirs)
{
    // An uncommitted output is removed when `out` goes, so nothing is left of a failed cut.
    AtomicFileWriter out(workPath(dirs, ringtoneFileName(row.name)));
    switch (cutContainer(container, source, markedSpanOf(row), out)) {
    case ContainerCut::Empty:
        return CutOutcome::Nothing;
    case ContainerCut::Failed:
        return out.ok() ? CutOutcome::CannotCut : CutOutcome::WriteFailed;
    case ContainerCut::StreamCopyUnavailable:
        return CutOutcome::StreamCopyUnavailable;
    case ContainerCut::Written:
        break;
    }
    return commitCut(row, out, dirs);
}

} // namespace

CutOutcome cutOne(const QString &songFolder, const SongRow &row, const OutputDirs &dirs)
{
    ReadFile source(sourcePath(songFolder, row.name));
    const Container container = detectContainer(source);
    if (container == Container::Unrecognised)
        return cutSlice(row, std::move(source), dirs);
    return cutAsContainer(row, container, source, dirs);
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
        const CutOutcome outcome = cutOne(songFolder, row, dirs);
        switch (outcome) {
        case CutOutcome::WrittenInWorkDir:
            ++tally.leftInWorkDir;
            [[fallthrough]];
        case CutOutcome::Written:
            ++tally.succeeded;
            break;
        case CutOutcome::Nothing:
        case CutOutcome::WriteFailed:
        case CutOutcome::CannotCut:
        case CutOutcome::StreamCopyUnavailable:
            ++tally.failed;
            break;
        }
        tally.streamCopyUnavailable |= outcome == CutOutcome::StreamCopyUnavailable;
    }
    return tally;
}

} // namespace tunora
