// The WAV and ASF header parsers, the stretch a pair of marks covers in arbitrary files, and
// ASF data packets taken apart, their times shifted and some of their payloads dropped.
//
// Input: the whole input is the song file; its last two bytes also give the marks, fine
// enough to fall inside a few kilobytes of samples: the start from the last byte in 1/1024 s,
// the length from the one before it in 1/256 s.

#include "fuzzcheck.h"
#include "memoryfile.h"

#include "cutting/asflayout.h"
#include "cutting/asfpacket.h"
#include "cutting/asfstretch.h"
#include "cutting/container.h"
#include "cutting/wavlayout.h"
#include "platform/files/fileio.h"

#include <cstddef>
#include <cstdint>

using namespace tunora;
using namespace tunora::fuzz;

namespace {

void checkWav(const ReadFile &file, MarkedSpan span)
{
    const std::optional<WavLayout> layout = parseWav(file);
    if (!layout)
        return;
    check(layout->dataOffset >= 0 && layout->dataSize >= 0 && layout->dataOffset + layout->dataSize <= file.size(),
          "the samples lie inside the file");
    check(layout->blockAlign > 0 && layout->sampleRate > 0, "a usable format");
    const SegmentRange range = wavStretch(*layout, span);
    if (range.empty())
        return;
    check(range.offset >= layout->dataOffset && range.offset + range.length <= layout->dataOffset + layout->dataSize,
          "the stretch lies inside the samples",
          QString::asprintf("%lld+%lld in %lld+%lld", qlonglong(range.offset), qlonglong(range.length),
                            qlonglong(layout->dataOffset), qlonglong(layout->dataSize)));
    check((range.offset - layout->dataOffset) % layout->blockAlign == 0 && range.length % layout->blockAlign == 0,
          "the stretch is whole sample frames");
    const QByteArray header = wavHeader(*layout, range.length);
    check(header.size() == 12 + layout->fmtChunk.size() + 8, "the header is RIFF, the format chunk and data");
}

void checkAsf(const ReadFile &file, MarkedSpan span)
{
    const std::optional<AsfLayout> layout = parseAsf(file);
    if (!layout)
        return;
    check(layout->packetSize > 0 && layout->packetCount >= 0
              && layout->packetsOffset + layout->packetCount * layout->packetSize <= file.size(),
          "the packets lie inside the file");
    check(layout->filePropertiesAt + 104 <= layout->header.size(), "the file properties lie inside the header");
    // Each packet taken apart, its times shifted and its first payload kept alone, within its
    // own bytes (the sanitizers see any overrun).
    for (qint64 i = 0; i < qMin<qint64>(layout->packetCount, 8); ++i) {
        QByteArray packet(layout->packetSize, '\0');
        check(readExactly(file, layout->packetsOffset + i * layout->packetSize, packet.data(), packet.size()),
              "a packet reads whole");
        const std::optional<AsfPacket> parsed = parseAsfPacket(packet.constData(), packet.size());
        if (!parsed)
            continue;
        for (const AsfPayload &payload : parsed->payloads)
            check(payload.begin < payload.end && payload.end <= packet.size(), "a payload lies inside its packet");
        shiftAsfPacketTimes(packet.data(), *parsed, quint32(span.start * 1000));
        if (parsed->payloads.isEmpty())
            continue;
        const std::optional<QByteArray> kept
            = asfPacketWith(packet.constData(), packet.size(), *parsed, {parsed->payloads.first()});
        if (!kept)
            continue;
        check(kept->size() == packet.size(), "a packet with fewer payloads keeps its size");
        const std::optional<AsfPacket> reread = parseAsfPacket(kept->constData(), kept->size());
        check(reread && reread->payloads.size() == 1, "a packet with fewer payloads reads back");
    }
    const std::optional<AsfStretch> stretch = asfStretch(file, *layout, span);
    if (!stretch || stretch->empty())
        return;
    check(stretch->firstPacket >= 0 && stretch->lastPacket < layout->packetCount, "the stretch is packets of the file");
    check(asfOutputHead(*layout, stretch->packetCount(), stretch->durationMs).size() == layout->header.size() + 50,
          "the output head is the header and the data object's header");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile memory;
    const ReadFile file(memory.fill(data, size));
    check(file.isOpen() && file.size() == qint64(size), "the memory file opens with its size");
    (void)detectContainer(file);

    const double start = size >= 1 ? data[size - 1] / 1024.0 : 0.0;
    const double length = size >= 2 ? data[size - 2] / 256.0 : 1.0;
    for (const MarkedSpan span : {MarkedSpan{start, start + length}, MarkedSpan{0, 1e9}}) {
        checkWav(file, span);
        checkAsf(file, span);
    }
    return 0;
}
