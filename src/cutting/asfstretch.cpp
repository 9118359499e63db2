#include "asfstretch.h"

#include "asfpacket.h"

#include "platform/files/fileio.h"

#include <QList>

namespace tunora {

namespace {

// A media object of the audio stream as far as a walk over the packets has seen it.
struct ObjectSeen {
    qint64 ms = 0; // presentation time, preroll excluded
    quint32 number = 0;
    qint64 packet = 0; // where its first payload lies
    qsizetype payload = 0;
    qint64 lastPacket = 0; // where its last payload seen so far lies
    qsizetype lastPayload = 0;
};

// The objects that start in the packets a walk read, in order.
struct Walk {
    QList<ObjectSeen> objects;
    bool reachedEnd = false; // it read the last packet
};

// The first object whose middle lies at or after a time, and the one before it.
struct Boundary {
    std::optional<ObjectSeen> before;
    std::optional<ObjectSeen> at;
    qint64 beforeEndMs = 0;
    qint64 atEndMs = 0;
};

class ObjectSearch {
public:
    ObjectSearch(const ReadFile &file, const AsfLayout &layout)
        : m_file(file), m_layout(layout), m_songEndMs(asfSongEndMs(layout)), m_packet(layout.packetSize, Qt::Uninitialized)
    {
    }

    // Nothing when a packet the search reads cannot be followed.
    std::optional<Boundary> boundaryAt(double ms)
    {
        std::optional<qint64> from = lastPacketSentBy(ms);
        if (!from)
            return std::nullopt;
        // Packets are sent before their objects play, so an object whose middle lies after
        // `ms` may start in a packet sent earlier: the walk starts further back until it sees
        // an object before the boundary, or starts at the first packet.
        for (qint64 back = 1;; back *= 2) {
            Walk walk;
            if (!walkFrom(*from, ms, walk))
                return std::nullopt;
            qsizetype k = 0;
            while (k < walk.objects.size() && middleKnown(walk, k) && middleOf(walk, k) < ms)
                ++k;
            if (k == 0 && *from > 0) {
                *from = qMax<qint64>(0, *from - back);
                continue;
            }
            Boundary boundary;
            if (k < walk.objects.size()) {
                boundary.at = walk.objects[k];
                boundary.atEndMs = endOf(walk, k);
            }
            if (k > 0) {
                boundary.before = walk.objects[k - 1];
                boundary.beforeEndMs = endOf(walk, k - 1);
            }
            return boundary;
        }
    }

private:
    // The last packet sent at or before `ms`, or the first packet. Send times never decrease,
    // so a binary search reads a few packets only.
    std::optional<qint64> lastPacketSentBy(double ms)
    {
        qint64 lo = 0, hi = m_layout.packetCount; // the answer + 1 lies in [lo, hi]
        while (lo < hi) {
            const qint64 mid = lo + (hi - lo) / 2;
            const std::optional<quint32> sent = asfPacketSendTime(m_file, m_layout, mid);
            if (!sent)
                return std::nullopt;
            if (double(*sent) <= ms)
                lo = mid + 1;
            else
                hi = mid;
        }
        return qMax<qint64>(lo - 1, 0);
    }

    // Reads packets from `from` until the object after the first one whose middle lies at or
    // after `ms` has started, or the packets end.
    bool walkFrom(qint64 from, double ms, Walk &walk)
    {
        for (qint64 p = from; p < m_layout.packetCount; ++p) {
            if (!readExactly(m_file, m_layout.packetsOffset + p * m_layout.packetSize, m_packet.data(), m_packet.size()))
                return false;
            const std::optional<AsfPacket> packet = parseAsfPacket(m_packet.constData(), m_packet.size());
            if (!packet)
                return false;
            for (qsizetype j = 0; j < packet->payloads.size(); ++j) {
                const AsfPayload &payload = packet->payloads[j];
                if (payload.stream != m_layout.audioStream)
                    continue;
                if (payload.startsObject()) {
                    if (payload.timeAt < 0)
                        return false; // an object without a presentation time cannot be placed
                    walk.objects.append({qint64(payload.presentationMs) - qint64(m_layout.prerollMs), payload.object,
                                         p, j, p, j});
                } else if (!walk.objects.isEmpty() && walk.objects.last().number == payload.object) {
                    walk.objects.last().lastPacket = p;
                    walk.objects.last().lastPayload = j;
                }
            }
            const qsizetype n = walk.objects.size();
            if (n >= 2 && middleOf(walk, n - 2) >= ms)
                return true;
        }
        walk.reachedEnd = true;
        return true;
    }

    static bool middleKnown(const Walk &walk, qsizetype k) { return k + 1 < walk.objects.size() || walk.reachedEnd; }

    double middleOf(const Walk &walk, qsizetype k) const
    {
        return (double(walk.objects[k].ms) + double(endOf(walk, k))) / 2.0;
    }

    // An object ends where the next one starts; the song's last one where the header says the
    // song ends, or one object's length after its start when the header says less.
    qint64 endOf(const Walk &walk, qsizetype k) const
    {
        const QList<ObjectSeen> &objects = walk.objects;
        if (k + 1 < objects.size())
            return objects[k + 1].ms;
        if (m_songEndMs > objects[k].ms)
            return m_songEndMs;
        return k > 0 ? 2 * objects[k].ms - objects[k - 1].ms : objects[k].ms;
    }

    const ReadFile &m_file;
    const AsfLayout &m_layout;
    const qint64 m_songEndMs;
    QByteArray m_packet;
};

} // namespace

std::optional<AsfStretch> asfStretch(const ReadFile &file, const AsfLayout &layout, MarkedSpan span)
{
    if (span.empty() || layout.packetCount <= 0)
        return AsfStretch{};
    const auto ms = [](double seconds) { return qMin(seconds, 1e9) * 1000.0; };
    ObjectSearch search(file, layout);
    const std::optional<Boundary> start = search.boundaryAt(ms(span.start));
    if (!start)
        return std::nullopt;
    if (!start->at)
        return AsfStretch{}; // the start lies past the song's last object
    const std::optional<Boundary> end = search.boundaryAt(ms(span.end));
    if (!end)
        return std::nullopt;
    if (!end->before || end->before->ms < start->at->ms)
        return AsfStretch{}; // no object's middle lies between the marks

    const ObjectSeen &first = start->before ? *start->before : *start->at;
    // The last object's sound overlaps into the next one, which completes it: without it the
    // last object fades out, and the cut sounds to end half an object before its mark.
    const ObjectSeen &last = end->at ? *end->at : *end->before;
    const qint64 lastEndMs = end->at ? end->atEndMs : end->beforeEndMs;
    // A decoder plays nothing of the first object: the header tells what it plays.
    const qint64 firstLengthMs = start->before ? start->beforeEndMs - first.ms : start->atEndMs - first.ms;
    AsfStretch stretch;
    stretch.firstPacket = first.packet;
    stretch.firstPayload = first.payload;
    stretch.lastPacket = last.lastPacket;
    stretch.lastPayload = last.lastPayload;
    stretch.startMs = first.ms;
    stretch.durationMs = qMax<qint64>(0, lastEndMs - first.ms - firstLengthMs);
    return stretch;
}

} // namespace tunora
