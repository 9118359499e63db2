#include "asfcut.h"

#include "asflayout.h"
#include "asfpacket.h"
#include "asfstretch.h"

#include "platform/files/fileio.h"

namespace tunora {

namespace {

// The payloads of packet `index` that belong to the stretch: in an end packet, those of the
// audio stream from the first object on and up to the last one.
QList<AsfPayload> payloadsInStretch(const AsfPacket &packet, qint64 index, const AsfStretch &stretch, int stream)
{
    QList<AsfPayload> kept;
    for (qsizetype j = 0; j < packet.payloads.size(); ++j) {
        if (packet.payloads[j].stream == stream && (index != stretch.firstPacket || j >= stretch.firstPayload)
            && (index != stretch.lastPacket || j <= stretch.lastPayload))
            kept.append(packet.payloads[j]);
    }
    return kept;
}

} // namespace

ContainerCut cutAsf(const ReadFile &source, MarkedSpan span, AtomicFileWriter &out)
{
    const std::optional<AsfLayout> layout = parseAsf(source);
    if (!layout)
        return ContainerCut::Failed;
    const std::optional<AsfStretch> stretch = asfStretch(source, *layout, span);
    if (!stretch)
        return ContainerCut::Failed;
    if (stretch->empty())
        return ContainerCut::Empty;
    const QByteArray head = asfOutputHead(*layout, stretch->packetCount(), stretch->durationMs);
    if (!out.write(head.constData(), head.size()))
        return ContainerCut::Failed;
    const quint32 shiftMs = quint32(qBound<qint64>(0, stretch->startMs, 0xFFFFFFFF));
    QByteArray packet(layout->packetSize, Qt::Uninitialized);
    for (qint64 i = stretch->firstPacket; i <= stretch->lastPacket; ++i) {
        if (!readExactly(source, layout->packetsOffset + i * layout->packetSize, packet.data(), packet.size()))
            return ContainerCut::Failed;
        std::optional<AsfPacket> parsed = parseAsfPacket(packet.constData(), packet.size());
        if (i == stretch->firstPacket || i == stretch->lastPacket) {
            // The search has read both end packets, so their layout can be followed.
            if (!parsed)
                return ContainerCut::Failed;
            const QList<AsfPayload> kept = payloadsInStretch(*parsed, i, *stretch, layout->audioStream);
            if (kept.size() != parsed->payloads.size()) {
                const std::optional<QByteArray> trimmed = asfPacketWith(packet.constData(), packet.size(), *parsed, kept);
                if (!trimmed)
                    return ContainerCut::Failed;
                packet = *trimmed;
                parsed = parseAsfPacket(packet.constData(), packet.size());
                if (!parsed)
                    return ContainerCut::Failed;
            }
        }
        // A packet inside the stretch whose layout cannot be followed goes as it was: the
        // source plays it no better.
        if (parsed)
            shiftAsfPacketTimes(packet.data(), *parsed, shiftMs);
        if (!out.write(packet.constData(), packet.size()))
            return ContainerCut::Failed;
    }
    return ContainerCut::Written;
}

} // namespace tunora
