#include "mpegframecopy.h"

#include "layer3sideinfo.h"

#include "platform/files/fileio.h"

#include <cstring>
#include <iterator>

namespace tunora {

namespace {

constexpr qint64 kRunLimit = qint64(1) << 20;
// The last frames are written apart, so the next segment's reservoir can go into them: they
// hold at least this many bytes of audio data (more than any reservoir).
constexpr qint64 kTailZone = 512;
// Gain steps of the granules nearest a joint, from the joint out (see planWriting).
constexpr int kJointFade[] = {kSilent, 1};
constexpr int kJointFadeGranules = int(std::size(kJointFade));

// Tracks the bit reservoir from the first frame copied: frames whose audio data would begin
// before it are emptied, until the frames copied hold as much as any frame can reach back.
class ReservoirGuard {
public:
    explicit ReservoirGuard(qint64 held) : m_held(held) {}

    void pass(unsigned char *frame, const MpegHeader &header)
    {
        if (m_done)
            return;
        if (header.format.layer != 3) {
            m_done = true;
            return;
        }
        if (mainDataBegin(frame, header) > m_held)
            silenceFrame(frame, header, int(m_held));
        m_held += header.length - header.payloadOffset();
        m_done = m_held >= maxMainDataBegin(header.format);
    }

private:
    qint64 m_held = 0; // bytes of audio data in front of the next frame
    bool m_done = false;
};

// Reads the frames into `run`, with `spare` bytes more room at the end, checking that each is
// still there. Frames that follow one another in the file go in one read.
bool readFrames(const ReadFile &file, const MpegFrameRef *frames, size_t count, QByteArray &run, qint64 spare = 0)
{
    qint64 length = 0;
    for (size_t i = 0; i < count; ++i)
        length += frames[i].length;
    run.resize(length + spare);
    qint64 at = 0;
    for (size_t first = 0; first < count;) {
        size_t end = first + 1;
        qint64 bytes = frames[first].length;
        while (end < count && frames[end].offset == frames[end - 1].offset + frames[end - 1].length)
            bytes += frames[end++].length;
        if (!readExactly(file, frames[first].offset, run.data() + at, bytes))
            return false;
        at += bytes;
        first = end;
    }
    const auto *p = reinterpret_cast<const unsigned char *>(run.constData());
    for (size_t i = 0; i < count; ++i) {
        const std::optional<MpegHeader> header = parseMpegHeader(p);
        if (!header || header->bits != frames[i].header)
            return false;
        p += frames[i].length;
    }
    return true;
}

// Grows the last frame of the run and puts `tail` at the end of the run's audio data.
void endWith(QByteArray &run, const MpegFrameRef *frames, size_t count, quint32 grownLast, const QByteArray &tail)
{
    auto *bytes = reinterpret_cast<unsigned char *>(run.data());
    std::vector<qint64> starts;
    qint64 at = 0;
    for (size_t i = 0; i < count; ++i) {
        starts.push_back(at);
        at += frames[i].length;
    }
    std::vector<qint64> ends(count);
    for (size_t i = 0; i < count; ++i)
        ends[i] = starts[i] + frames[i].length;
    if (grownLast) {
        const MpegHeader own = *parseMpegHeader(frames[count - 1].header);
        const MpegHeader grown = *parseMpegHeader(grownLast);
        growFrame(bytes + starts[count - 1], own, grown);
        ends[count - 1] = starts[count - 1] + grown.length;
    }
    // From the end backwards over the frames' payloads.
    qint64 left = tail.size();
    for (size_t i = count; i-- > 0 && left > 0;) {
        const qint64 payloadStart = starts[i] + (frames[i].length - frames[i].payload);
        const qint64 take = qMin(left, ends[i] - payloadStart);
        std::memcpy(bytes + ends[i] - take, tail.constData() + left - take, size_t(take));
        left -= take;
    }
}

// Lowers the gains of the granules of frame `index` (of `count`) that lie next to a joint.
void fadeAtJoints(unsigned char *frame, const MpegHeader &header, size_t index, size_t count,
                  const SegmentWriting &writing)
{
    const int granules = granulesPerFrame(header.format);
    for (int g = 0; g < granules; ++g) {
        const qint64 fromStart = qint64(index) * granules + g;
        const qint64 fromEnd = qint64(count - 1 - index) * granules + (granules - 1 - g);
        if (writing.fadeIn && fromStart < kJointFadeGranules)
            lowerGain(frame, header, g, kJointFade[fromStart]);
        if (writing.fadeOut && fromEnd < kJointFadeGranules)
            lowerGain(frame, header, g, kJointFade[fromEnd]);
    }
}

} // namespace

CopyResult copyFrames(const ReadFile &file, const MpegSegment &segment, const SegmentWriting &writing,
                      AtomicFileWriter &out)
{
    const std::vector<MpegFrameRef> &frames = segment.frames;
    if (frames.empty())
        return CopyResult::Copied;
    if (!out.write(writing.carrier.constData(), writing.carrier.size()))
        return CopyResult::WriteFailed;
    ReservoirGuard reservoir(writing.held);
    QByteArray run;
    const auto pass = [&](size_t first, size_t end) {
        auto *bytes = reinterpret_cast<unsigned char *>(run.data());
        for (size_t i = first; i < end; ++i) {
            const MpegHeader header = *parseMpegHeader(frames[i].header);
            reservoir.pass(bytes, header);
            if (header.format.layer == 3)
                fadeAtJoints(bytes, header, i, frames.size(), writing);
            bytes += frames[i].length;
        }
    };

    // The last frames go apart when they take the next segment's reservoir, grow or fade.
    size_t body = frames.size();
    if (writing.grownLast || !writing.tail.isEmpty() || writing.fadeOut) {
        qint64 held = 0;
        while (body > 0 && (held < kTailZone || frames.size() - body < size_t(kJointFadeGranules)))
            held += frames[--body].payload;
    }
    for (size_t first = 0; first < body;) {
        size_t end = first + 1;
        qint64 length = frames[first].length;
        while (end < body && length + frames[end].length <= kRunLimit)
            length += frames[end++].length;
        if (!readFrames(file, frames.data() + first, end - first, run))
            return CopyResult::ReadFailed;
        pass(first, end);
        if (!out.write(run.constData(), run.size()))
            return CopyResult::WriteFailed;
        first = end;
    }
    if (body < frames.size()) {
        const qint64 spare = writing.grownLast ? parseMpegHeader(writing.grownLast)->length - frames.back().length : 0;
        if (!readFrames(file, frames.data() + body, frames.size() - body, run, spare))
            return CopyResult::ReadFailed;
        pass(body, frames.size());
        endWith(run, frames.data() + body, frames.size() - body, writing.grownLast, writing.tail);
        if (!out.write(run.constData(), run.size()))
            return CopyResult::WriteFailed;
    }
    return CopyResult::Copied;
}

QByteArray payloadTail(const ReadFile &file, const std::vector<MpegFrameRef> &frames, qint64 count)
{
    QByteArray run;
    if (frames.empty() || !readFrames(file, frames.data(), frames.size(), run))
        return {};
    QByteArray payloads;
    qint64 at = 0;
    for (const MpegFrameRef &frame : frames) {
        payloads += run.mid(at + frame.length - frame.payload, frame.payload);
        at += frame.length;
    }
    return payloads.size() >= count ? payloads.right(count) : QByteArray();
}

} // namespace tunora
