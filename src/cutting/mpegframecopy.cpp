#include "mpegframecopy.h"

#include "layer3sideinfo.h"

#include "platform/fileio.h"

namespace tunora {

namespace {

constexpr qint64 kRunLimit = qint64(1) << 20;

// Tracks the bit reservoir from the first frame copied: frames whose audio data would begin
// before it are emptied, until the frames copied hold as much as any frame can reach back.
class ReservoirGuard {
public:
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
    qint64 m_held = 0; // bytes of audio data in the frames copied so far
    bool m_done = false;
};

} // namespace

CopyResult copyFrames(const ReadFile &file, const std::vector<MpegFrameRef> &frames, AtomicFileWriter &out)
{
    ReservoirGuard reservoir;
    QByteArray run;
    for (size_t first = 0; first < frames.size();) {
        // Frames that follow one another in the file go in one read.
        size_t end = first + 1;
        qint64 length = frames[first].length;
        while (end < frames.size() && frames[end].offset == frames[end - 1].offset + frames[end - 1].length
               && length + frames[end].length <= kRunLimit) {
            length += frames[end].length;
            ++end;
        }
        run.resize(length);
        if (file.readAt(frames[first].offset, run.data(), length) != length)
            return CopyResult::ReadFailed;
        auto *bytes = reinterpret_cast<unsigned char *>(run.data());
        for (size_t i = first; i < end; ++i) {
            const std::optional<MpegHeader> header = parseMpegHeader(bytes);
            if (!header || header->bits != frames[i].header)
                return CopyResult::ReadFailed;
            reservoir.pass(bytes, *header);
            bytes += frames[i].length;
        }
        if (!out.write(run.constData(), length))
            return CopyResult::WriteFailed;
        first = end;
    }
    return CopyResult::Copied;
}

std::vector<qint32> frameLengths(const std::vector<MpegFrameRef> &frames)
{
    std::vector<qint32> lengths;
    lengths.reserve(frames.size());
    for (const MpegFrameRef &frame : frames)
        lengths.push_back(frame.length);
    return lengths;
}

} // namespace tunora
