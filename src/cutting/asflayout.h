#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The parts of an ASF file (WMA) that a cut needs: the header object, its audio stream, the
// fixed-size data packets behind it and each packet's send time.
namespace tunora {

class ReadFile;

struct AsfLayout {
    QByteArray header;           // the whole header object, as in the file
    qint64 filePropertiesAt = 0; // offset of the file properties object within `header`
    qint64 packetsOffset = 0;    // first byte of the first data packet
    qint64 packetSize = 0;
    qint64 packetCount = 0;      // whole packets present in the file
    quint64 prerollMs = 0;
    quint64 playDuration = 0;    // 100 ns units, preroll included
    int audioStream = 0;         // number of the first audio stream (never 0)
};

// Nothing when the file is not ASF, its header is damaged, its packets differ in size, or
// neither its header nor its first packet names its audio stream. Reads the header object, the
// data object's header and at most the first packet.
std::optional<AsfLayout> parseAsf(const ReadFile &file);

// Send time in milliseconds of data packet `index` (0-based), from its payload parsing
// information; nothing when the packet's header cannot be read or makes no sense.
std::optional<quint32> asfPacketSendTime(const ReadFile &file, const AsfLayout &layout, qint64 index);

// The song's length in milliseconds, preroll excluded, as its header gives it.
qint64 asfSongEndMs(const AsfLayout &layout);

// The header object for an output of `packetCount` packets that plays `durationMs`, with the
// file properties' size, packet count and durations corrected, then the data object's header
// with its size and count.
QByteArray asfOutputHead(const AsfLayout &layout, qint64 packetCount, qint64 durationMs);

} // namespace tunora
