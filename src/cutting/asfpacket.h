#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <optional>

// One data packet of an ASF file (WMA) taken apart: where its send time and each of its
// payloads lie, so a cut can move its times and keep only the payloads it needs.
namespace tunora {

// One payload: a media object, or a fragment of one that other packets continue.
struct AsfPayload {
    qint64 begin = 0; // its first byte (the stream number) in the packet
    qint64 end = 0;   // one past its data
    int stream = 0;   // stream number, without the key-frame bit
    quint32 object = 0;
    quint32 offset = 0; // where its data lies in the media object
    quint32 objectSize = 0;
    qint64 dataSize = 0;
    quint32 presentationMs = 0; // as stored: the file's preroll included
    qint64 timeAt = -1;         // where the presentation time is stored; -1: it has none
    int timeWidth = 0;
    bool compressed = false; // sub-payloads, each a whole media object

    bool startsObject() const { return compressed || offset == 0; }
};

struct AsfPacket {
    qint64 lengthFlagsAt = 0; // the error correction data lies before
    quint8 lengthFlags = 0;
    quint8 propertyFlags = 0;
    qint64 sendTimeAt = 0; // then the 2-byte duration
    bool multiple = false;
    int payloadLengthType = 0; // of a packet with multiple payloads
    QList<AsfPayload> payloads;
};

// Nothing when the packet's layout cannot be followed within its `size` bytes.
std::optional<AsfPacket> parseAsfPacket(const char *packet, qint64 size);

// Moves the send time and the presentation times of a packet `shiftMs` earlier, never below 0.
void shiftAsfPacketTimes(char *packet, const AsfPacket &layout, quint32 shiftMs);

// The packet holding only `kept` (payloads of `layout`, in their order, at least one), padded
// to its size. Nothing when no padding field can fill the room.
std::optional<QByteArray> asfPacketWith(const char *packet, qint64 size, const AsfPacket &layout,
                                        const QList<AsfPayload> &kept);

} // namespace tunora
