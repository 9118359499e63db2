#include "mpegframes.h"

#include "layer3sideinfo.h"

#include "platform/files/fileio.h"

namespace tunora {

namespace {

// Large enough that a walk over a long song takes few reads.
constexpr qint64 kChunk = qint64(1) << 20;
// How far decoders look for the first frame.
constexpr qint64 kStartSearch = 64 * 1024;
// Sync, version, layer and sample rate: what two frames of one stream share.
constexpr quint32 kStreamMask = 0xFFE00000u | (3u << 19) | (3u << 17) | (3u << 10);

} // namespace

MpegFrameWalk::MpegFrameWalk(const ReadFile &file, qint64 begin, qint64 end)
    : m_file(file), m_end(qMax(begin, end)), m_next(begin)
{
}

bool MpegFrameWalk::load(qint64 offset, qint64 count)
{
    if (offset >= m_bufferOffset && offset + count <= m_bufferOffset + m_buffer.size())
        return true;
    const qint64 want = qMin(qMax(kChunk, count), m_end - offset);
    if (want < count)
        return false;
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
        if (*at(p) != 0xFF)
            continue;
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
            const bool layer3 = h->format.layer == 3;
            const MpegFrame frame{m_index++, m_next, *h, layer3 ? mainDataBegin(at(m_next), *h) : 0,
                                  layer3 ? unusedTail(at(m_next), *h) : 0};
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

} // namespace tunora
