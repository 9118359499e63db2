#include "cutengine.h"

#include "container.h"
#include "containercut.h"
#include "rowsegment.h"
#include "shapeoutput.h"
#include "xingframe.h"

#include <ranges>

namespace tunora {

namespace {

CutOutcome commitCut(const SongRow &row, AtomicFileWriter &out, const OutputDirs &dirs)
{
    if (!out.commit())
        return CutOutcome::WriteFailed;
    return moveToProgramDir(dirs, ringtoneFileName(row.name)) ? CutOutcome::Written : CutOutcome::WrittenInWorkDir;
}

// A VBR cut says how long it is: without an info frame a player takes the length of the
// whole ringtone from its first frame's bit rate.
bool writeInfoFrame(const MpegSegment &segment, const SegmentWriting &writing, AtomicFileWriter &out)
{
    const std::optional<MpegHeader> model = parseMpegHeader(segment.frames.front().header);
    const QByteArray info = model ? xingFrame(*model, writtenLengths(segment, writing)) : QByteArray();
    return out.write(info.constData(), info.size());
}

CutOutcome cutUnrecognised(const SongRow &row, ReadFile source, const OutputDirs &dirs, const RingtoneEffects &effects,
                           EffectsApplied &applied)
{
    const RowSegment segment = locateRowSegment(std::move(source), row, SegmentUse::Cut);
    if (segment.empty())
        return CutOutcome::Nothing;
    AtomicFileWriter out(workPath(dirs, ringtoneFileName(row.name)));
    const SegmentWriting writing = segment.byFrames ? planWriting({&segment.mpeg}).front() : SegmentWriting{};
    if (segment.byFrames && !writeInfoFrame(segment.mpeg, writing, out))
        return CutOutcome::WriteFailed;
    if (copyRowSegment(segment, writing, out) != CopyResult::Copied)
        return CutOutcome::WriteFailed;
    applied = shapeOutput(out, OutputKind::Mpeg, effects);
    return commitCut(row, out, dirs);
}

OutputKind outputKindOf(Container container)
{
    switch (container) {
    case Container::Wav:
        return OutputKind::Wav;
    case Container::Flac:
        return OutputKind::Flac;
    default:
        return OutputKind::Other;
    }
}

CutOutcome cutAsContainer(const SongRow &row, Container container, const ReadFile &source, const OutputDirs &dirs,
                          const RingtoneEffects &effects, EffectsApplied &applied)
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
    applied = shapeOutput(out, outputKindOf(container), effects);
    return commitCut(row, out, dirs);
}

} // namespace

ShapedCut cutOneShaped(const FilePath &songFolder, const SongRow &row, const OutputDirs &dirs,
                       const RingtoneEffects &effects)
{
    ReadFile source(songFolder / row.name);
    const Container container = detectContainer(source);
    ShapedCut cut;
    cut.outcome = container == Container::Unrecognised
        ? cutUnrecognised(row, std::move(source), dirs, effects, cut.effects)
        : cutAsContainer(row, container, source, dirs, effects, cut.effects);
    return cut;
}

CutOutcome cutOne(const FilePath &songFolder, const SongRow &row, const OutputDirs &dirs)
{
    return cutOneShaped(songFolder, row, dirs, {}).outcome;
}

namespace {

void cutInto(CutTally &tally, const FilePath &songFolder, const SongRow &row, const OutputDirs &dirs,
             const RingtoneEffects &effects)
{
    if (!isMarked(row)) {
        ++tally.failed;
        return;
    }
    // An empty segment would make an empty file: that is a failure, not a ringtone.
    const CutOutcome outcome = cutOneShaped(songFolder, row, dirs, effects).outcome;
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

} // namespace

CutTally cutAll(const FilePath &songFolder, const QList<SongRow> &rowsTopToBottom, const OutputDirs &dirs,
                const RingtoneEffects &effects, const RowProgress &progress)
{
    CutTally tally;
    for (const SongRow &row : rowsTopToBottom | std::views::reverse) {
        cutInto(tally, songFolder, row, dirs, effects);
        if (progress)
            progress(tally.succeeded + tally.failed);
    }
    return tally;
}

} // namespace tunora
