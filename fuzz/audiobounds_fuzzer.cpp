// The audio bounds of arbitrary song files, the byte range of a row's marks in them, and the
// MPEG frames the marks take.
//
// Input: the whole input is the song file. Its last byte n (below 64) also marks its last
// n bytes before that byte as a row's texts, "start|end|song length|cut length" in Latin-1,
// so MP3 seeds work as they are and the fuzzer can grow marks at the end.

#include "fuzzcheck.h"
#include "memoryfile.h"

#include "cutting/audiobounds.h"
#include "cutting/mpegjoints.h"
#include "cutting/mpegsegment.h"
#include "cutting/segment.h"
#include "platform/files/fileio.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

using namespace tunora;
using namespace tunora::fuzz;
using namespace Qt::StringLiterals;

namespace {

SongRow rowFrom(const QByteArray &tail)
{
    const QList<QByteArray> cells = tail.split('|');
    const auto cell = [&](int i) { return i < cells.size() ? QString::fromLatin1(cells.at(i)) : QString(); };
    return {u"song.mp3"_s, cell(0), cell(1), cell(3), cell(2)};
}

void checkSegment(const SongRow &row, AudioBounds audio)
{
    const SegmentRange range = segmentOf(row, audio);
    const QString detail = QString::asprintf("audio [%lld, %lld), range %lld+%lld, row ", qlonglong(audio.begin),
                                             qlonglong(audio.end), qlonglong(range.offset), qlonglong(range.length))
        + escaped(row.start) + u" | "_s + escaped(row.end) + u" | "_s + escaped(row.songLength);
    if (range.empty())
        return;
    check(range.offset >= audio.begin && range.length <= audio.end - range.offset,
          "a segment lies inside the audio", detail);
}

// Whole frames inside the audio, in file order; a reservoir exactly as large as the first
// frame takes; written lengths that add up.
void checkFrames(const ReadFile &file, const SongRow &row, AudioBounds audio)
{
    for (const SegmentUse use : {SegmentUse::Cut, SegmentUse::Merge}) {
        const MpegSegment segment = locateMpegSegment(file, audio, row, use);
        qint64 previousEnd = audio.begin;
        for (const MpegFrameRef &frame : segment.frames) {
            check(frame.offset >= previousEnd && frame.offset + frame.length <= audio.end,
                  "frames lie inside the audio, one after another",
                  QString::asprintf("frame %lld+%d after %lld, audio ends %lld", qlonglong(frame.offset), frame.length,
                                    qlonglong(previousEnd), qlonglong(audio.end)));
            previousEnd = frame.offset + frame.length;
        }
        check(segment.reservoir.isEmpty() || segment.reservoir.size() == segment.frames.front().mainDataBegin,
              "the reservoir is what the first frame takes", QString::number(segment.reservoir.size()));
        const MpegSegment *pair[] = {&segment, &segment};
        const std::vector<SegmentWriting> writing = planWriting({pair[0], pair[1]});
        for (const SegmentWriting &w : writing) {
            qint64 total = 0;
            for (const qint32 length : writtenLengths(segment, w))
                total += length;
            check(total >= 0 && (segment.frames.empty() || total > 0), "written lengths add up", QString::number(total));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile memory;
    const ReadFile file(memory.fill(data, size));
    check(file.isOpen() && file.size() == qint64(size), "the memory file opens with its size");

    const AudioBounds audio = findAudioBounds(file);
    check(0 <= audio.begin && audio.begin <= audio.end && audio.end <= qint64(size),
          "0 <= begin <= end <= size",
          QString::asprintf("[%lld, %lld) of %zu", qlonglong(audio.begin), qlonglong(audio.end), size));

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype tailLength = size > 0 ? qMin<qsizetype>(data[size - 1] % 64, qsizetype(size) - 1) : 0;
    const SongRow marked = rowFrom(bytes.mid(qsizetype(size) - 1 - tailLength, tailLength));
    checkSegment(marked, audio);
    checkFrames(file, marked, audio);
    checkFrames(file, {u"song.mp3"_s, u"0"_s, u"1.5"_s, u"1.5"_s, u"1.5"_s}, audio);
    // A whole-song mark over the song's real length in seconds, as most rows are.
    checkSegment({u"song.mp3"_s, u"0"_s, u"1.5"_s, u"1.5"_s, u"1.5"_s}, audio);
    checkSegment({u"song.mp3"_s, u"-0.5"_s, u"0.25"_s, u"0.75"_s, u"0.01"_s}, audio);
    return 0;
}
