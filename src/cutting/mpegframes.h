#pragma once

#include "mpegheader.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// A walk over the frames of an MPEG audio stream, header to header. The file is read in chunks
// that grow to large ones as the walk goes on, so walking a long song costs little more than
// reading it once, a walk that ends early reads little more than it walked, and no more than
// one chunk is held at a time.
namespace tunora {

class ReadFile;

struct MpegFrame {
    qint64 index = 0; // counted from the stream's first frame
    qint64 offset = 0;
    MpegHeader header;
    // Layer III, once readSideInfo() has read them: bytes of audio data it takes from the
    // frames before, and bytes at the end of the audio data up to it that it leaves.
    int mainDataBegin = 0;
    int unusedTail = 0;
};

class MpegFrameWalk {
public:
    // The stream must start within the first 64 kB after `begin` (junk before the first frame
    // is skipped, as decoders skip it) and ends at `end`.
    MpegFrameWalk(const ReadFile &file, qint64 begin, qint64 end);

    // The next frame; nothing at the end of the stream. A frame that does not follow the one
    // before is found again as a decoder finds it, by two headers in a row; the bytes between
    // are not audio.
    std::optional<MpegFrame> next();

    // Fills in the side info of the frame next() returned last, whose bytes the walk still
    // holds. Only the frames a caller keeps need it: reading it for every frame of a long song
    // would cost more than the rest of the walk.
    void readSideInfo(MpegFrame &frame) const;
    // The bytes of the frame next() returned last, from its header to the end of its side info.
    const unsigned char *headBytes(const MpegFrame &frame) const { return at(frame.offset); }

    // False once a frame of another format than the first was found: the stream is no longer
    // one stream, and the walk ends there.
    bool uniform() const { return m_uniform; }

private:
    bool load(qint64 offset, qint64 count);
    const unsigned char *at(qint64 offset) const;
    std::optional<MpegHeader> headerAt(qint64 offset);
    // The first offset in [from, limit) where a frame is followed by another of its kind (or
    // by the end of the stream).
    std::optional<qint64> findSync(qint64 from, qint64 limit);

    const ReadFile &m_file;
    qint64 m_end = 0;
    qint64 m_next = 0; // where the next frame is expected
    qint64 m_index = 0;
    bool m_started = false;
    bool m_uniform = true;
    std::optional<MpegFormat> m_format;
    QByteArray m_buffer;
    qint64 m_bufferOffset = 0;
    qint64 m_chunk = 0; // the next read's size
};

} // namespace tunora
