#pragma once

#include "markedspan.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// The parts of an ASF file (WMA) that a cut by whole data packets needs: the header object,
// the fixed-size data packets behind it and each packet's send time.
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
};

// Nothing when the file is not ASF, its header is damaged, or its packets differ in size.
// Reads the header object and the data object's header only.
std::optional<AsfLayout> parseAsf(const ReadFile &file);

// Send time in milliseconds of data packet `index` (0-based), from its payload parsing
// information; nothing when the packet's header cannot be read or makes no sense.
std::optional<quint32> asfPacketSendTime(const ReadFile &file, const AsfLayout &layout, qint64 index);

struct AsfStretch {
    qint64 firstPacket = 0;
    qint64 packetCount = 0; // 0: nothing to write
    quint64 durationMs = 0; // from the first packet's send time to the end of the last packet
    quint32 firstSentMs = 0;
};

// The whole packets that cover [span.start, span.end): from the last packet sent at or
// before the start to the last one sent before the end. Nothing when a packet that the
// search looks at cannot be read.
std::optional<AsfStretch> asfStretch(const ReadFile &file, const AsfLayout &layout, MarkedSpan span);

// Moves the send time and the presentation times of one data packet `shiftMs` earlier (never
// below 0), so a cut starts at time 0 as a file of its own does. False, with the packet
// perhaps changed in part, when its layout cannot be followed.
bool shiftAsfPacketTimes(char *packet, qint64 size, quint32 shiftMs);

// The header object for an output holding `stretch`, with the file properties' size, packet
// count and durations corrected, then the data object's header with its size and count.
QByteArray asfOutputHead(const AsfLayout &layout, const AsfStretch &stretch);

} // namespace tunora
