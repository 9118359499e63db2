#pragma once

#include "asflayout.h"
#include "markedspan.h"

#include <optional>

// Where a pair of marks falls among the media objects of an ASF file's audio stream. A WMA
// media object is one block of the codec, the finest unit a cut can take without decoding: one
// frame of about 46 ms as ffmpeg writes WMA, several frames where an encoder packs them so.
namespace tunora {

struct AsfStretch {
    // The first object's first payload, the last object's last payload: (packet, payload).
    qint64 firstPacket = 0;
    qsizetype firstPayload = 0;
    qint64 lastPacket = -1;
    qsizetype lastPayload = 0;
    qint64 startMs = 0;    // the first object's presentation time, preroll excluded
    qint64 durationMs = 0; // what a decoder plays: from the second object to the end of the last

    bool empty() const { return lastPacket < firstPacket; }
    qint64 packetCount() const { return empty() ? 0 : lastPacket - firstPacket + 1; }
};

// The objects whose middle lies in [span.start, span.end), the one before them and the one
// after them: a decoder builds each block on the one before it and plays nothing of the first
// it is given, and a block's sound is whole only with the next one. Empty
// when no object's middle lies there; nothing when a packet the search reads cannot be
// followed. Reads the packets near both marks only.
std::optional<AsfStretch> asfStretch(const ReadFile &file, const AsfLayout &layout, MarkedSpan span);

} // namespace tunora
