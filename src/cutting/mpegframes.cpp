#include "mpegframes.h"

#include "layer3sideinfo.h"

#include "platform/files/fileio.h"

#include <cstring>

namespace tunora {

namespace {

// Large enough that a walk over a long song takes few reads.
constexpr qint64 kChunk = qint64(1) << 20;
// How far decoders look for the first frame.
constexpr qint64 kStartSearch = 64 * 1024;
// The first read: the search for the first frame and the frame after the last place it looks
// (no frame is longer than 2881 bytes), so a song with no frames is read no further.
constexpr qint64 kFirstChunk = kStartSearch + 4096;
// Sync, version, layer and sample rate: what two frames of one stream share.
constexpr quint32 kStreamMask = 0xFFE00000u | (3u << 19) | (3u << 17) | (3u << 10);

} // namespace

MpegFrameWalk::MpegFrameWalk(const ReadFile &file, qint64 begin, qint64 end)
    : m_file(file), m_end(qMax(begin, end)), m_next(begin), m_chunk(kFirstChunk)
{
}

bool MpegFrameWalk::load(qint64 offset, qint64 count)
{
    if (offset >= m_bufferOffset && offset + count <= m_bufferOffset + m_buffer.size())
        return true;
    const qint64 want = qMin(qMax(m_chunk, count), m_end - offset);
    if (want < count)
        return false;
    m_chunk = qMin(2 * m_chunk, kChunk);
    m_buffer.resize(want);
    const qint64 n = m_file.readAt(offset, m_buffer.data(), want);
    m_bufferOffset = offset;
    m_buffer.resize(qMax<qint64>(n, 0));
    return n >= count;
}

const unsigned char *MpegFrameWalk::at(qint64 offset) const
{
    return reinterpret_cast<const unsigned char *>(m_buffer.constData()) + (offset - m_bufferOffset);
}

std::optional<MpegHeader> MpegFrameWalk::headerAt(qint64 offset)
{
    if (offset + 4 > m_end || !load(offset, 4))
        return std::nullopt;
    return parseMpegHeader(at(offset));
}

std::optional<qint64> MpegFrameWalk::findSync(qint64 from, qint64 limit)
{
    for (qint64 p = from; p < limit && p + 4 <= m_end; ++p) {
        if (!load(p, 4))
            return std::nullopt;
        // Straight to the next 0xFF the buffer holds: no header starts before it.
        const qint64 held = qMin(limit, m_bufferOffset + m_buffer.size());
        const void *sync = std::memchr(at(p), 0xFF, size_t(held - p));
        if (!sync) {
            p = held - 1;
            continue;
        }
        p += static_cast<const unsigned char *>(sync) - at(p);
        if (p + 4 > m_end || !load(p, 4))
            return std::nullopt;
        const std::optional<MpegHeader> h = headerAt(p);
        if (!h)
            continue;
        const qint64 following = p + h->length;
        if (following == m_end)
            return p;
        const std::optional<MpegHeader> h2 = following < m_end ? headerAt(following) : std::nullopt;
        if (h2 && (h2->bits & kStreamMask) == (h->bits & kStreamMask))
            return p;
    }
    return std::nullopt;
}

std::optional<MpegFrame> MpegFrameWalk::next()
{
    if (!m_started) {
        m_started = true;
        const std::optional<qint64> first = findSync(m_next, qMin(m_end, m_next + kStartSearch));
        m_next = first.value_or(m_end);
    }
    while (m_next < m_end) {
        const std::optional<MpegHeader> h = headerAt(m_next);
        if (h && m_next + h->length <= m_end && (!m_format || h->format == *m_format)
            && load(m_next, h->payloadOffset())) {
            m_format = h->format;
            const MpegFrame frame{m_index++, m_next, *h};
            m_next += h->length;
            return frame;
        }
        const std::optional<qint64> found = findSync(m_next + 1, m_end);
        m_next = found.value_or(m_end);
        if (!found)
            break;
        const std::optional<MpegHeader> resumed = headerAt(m_next);
        if (m_format && resumed && resumed->format != *m_format) {
            m_uniform = false;
            m_next = m_end;
        }
    }
    return std::nullopt;
}

void MpegFrameWalk::readSideInfo(MpegFrame &frame) const
{
    if (frame.header.format.layer != 3)
        return;
    frame.mainDataBegin = mainDataBegin(at(frame.offset), frame.header);
    frame.unusedTail = unusedTail(at(frame.offset), frame.header);
}

} // namespace tunora
