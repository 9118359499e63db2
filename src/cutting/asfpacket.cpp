#include "asfpacket.h"

#include "byteorder.h"

namespace tunora {

namespace {

using Byte = unsigned char;

constexpr qint64 kSendTimeAndDuration = 6;

// Width in bytes of a field whose 2-bit length type is `type`: 0, 1, 2 or 4.
int fieldWidth(int type)
{
    return type == 3 ? 4 : type;
}

// Moves the time stored in `width` bytes at `at` earlier, never below 0.
void shiftTime(Byte *p, qint64 at, int width, quint32 shiftMs)
{
    const quint64 time = littleEndian(p + at, width);
    const quint64 shifted = time > shiftMs ? time - shiftMs : 0;
    for (int i = 0; i < width; ++i)
        p[at + i] = Byte((shifted >> (8 * i)) & 0xFF);
}

} // namespace

std::optional<AsfPacket> parseAsfPacket(const char *packet, qint64 size)
{
    const auto *p = reinterpret_cast<const Byte *>(packet);
    qint64 at = 0;
    qint64 end = size;
    // Reads a field of the given length type; false when it runs past the end.
    const auto field = [&](int type, quint64 &value) {
        const int width = fieldWidth(type);
        if (at + width > end)
            return false;
        value = littleEndian(p + at, width);
        at += width;
        return true;
    };

    if (size < 1)
        return std::nullopt;
    if (p[0] & 0x80) {
        if ((p[0] >> 5) & 3)
            return std::nullopt; // error correction length type must be 0
        at = 1 + (p[0] & 0x0F);
    }
    if (at + 2 > end)
        return std::nullopt;
    AsfPacket layout;
    layout.lengthFlagsAt = at;
    layout.lengthFlags = p[at];
    layout.propertyFlags = p[at + 1];
    at += 2;
    quint64 packetLength = 0, sequence = 0, padding = 0;
    if (!field((layout.lengthFlags >> 5) & 3, packetLength) || !field((layout.lengthFlags >> 1) & 3, sequence)
        || !field((layout.lengthFlags >> 3) & 3, padding))
        return std::nullopt;
    if ((layout.lengthFlags >> 5) & 3)
        end = qMin<qint64>(end, qint64(qMin<quint64>(packetLength, quint64(end))));
    if (padding > quint64(end - at))
        return std::nullopt;
    end -= qint64(padding);
    if (at + kSendTimeAndDuration > end)
        return std::nullopt;
    layout.sendTimeAt = at;
    at += kSendTimeAndDuration;

    layout.multiple = layout.lengthFlags & 1;
    int count = 1;
    if (layout.multiple) {
        if (at + 1 > end)
            return std::nullopt;
        count = p[at] & 0x3F;
        layout.payloadLengthType = (p[at] >> 6) & 3;
        if (layout.payloadLengthType == 0)
            return std::nullopt; // the payloads' lengths must be given
        ++at;
    }
    const int replicatedType = layout.propertyFlags & 3;
    const int offsetType = (layout.propertyFlags >> 2) & 3;
    const int objectType = (layout.propertyFlags >> 4) & 3;
    for (int i = 0; i < count; ++i) {
        AsfPayload payload;
        payload.begin = at;
        quint64 stream = 0, object = 0, offset = 0, replicated = 0;
        if (!field(1, stream) || !field(objectType, object))
            return std::nullopt;
        const qint64 offsetAt = at;
        if (!field(offsetType, offset) || !field(replicatedType, replicated))
            return std::nullopt;
        payload.stream = int(stream & 0x7F);
        payload.object = quint32(object);
        if (replicated == 1) {
            // Compressed: the offset field holds the presentation time, a time delta follows,
            // then sub-payloads of one length byte each.
            payload.compressed = true;
            payload.presentationMs = quint32(offset);
            payload.timeAt = offsetAt;
            payload.timeWidth = fieldWidth(offsetType);
            if (at + 1 > end)
                return std::nullopt;
            ++at;
        } else {
            if (replicated > quint64(end - at))
                return std::nullopt;
            payload.offset = quint32(offset);
            if (replicated >= 8) { // the media object's size, then its presentation time
                payload.objectSize = littleEndian32(p + at);
                payload.presentationMs = littleEndian32(p + at + 4);
                payload.timeAt = at + 4;
                payload.timeWidth = 4;
            }
            at += qint64(replicated);
        }
        quint64 length = quint64(end - at);
        if (layout.multiple && !field(layout.payloadLengthType, length))
            return std::nullopt;
        if (length > quint64(end - at))
            return std::nullopt;
        payload.dataSize = qint64(length);
        at += qint64(length);
        payload.end = at;
        layout.payloads.append(payload);
    }
    return layout;
}

void shiftAsfPacketTimes(char *packet, const AsfPacket &layout, quint32 shiftMs)
{
    auto *p = reinterpret_cast<Byte *>(packet);
    shiftTime(p, layout.sendTimeAt, 4, shiftMs);
    for (const AsfPayload &payload : layout.payloads) {
        if (payload.timeAt >= 0)
            shiftTime(p, payload.timeAt, payload.timeWidth, shiftMs);
    }
}

std::optional<QByteArray> asfPacketWith(const char *packet, qint64 size, const AsfPacket &layout,
                                        const QList<AsfPayload> &kept)
{
    if (kept.isEmpty() || kept.size() > 0x3F)
        return std::nullopt;
    if (!layout.multiple)
        return QByteArray(packet, size); // its one payload
    qint64 payloadBytes = 0;
    for (const AsfPayload &payload : kept)
        payloadBytes += payload.end - payload.begin;
    // The error correction data, both flag bytes, send time and duration, the payload flags.
    const qint64 fixed = layout.lengthFlagsAt + 2 + kSendTimeAndDuration + 1 + payloadBytes;
    // The narrowest padding length field that holds the padding. Packet length and sequence
    // are left out: every packet of the file has its size.
    for (int type = 0; type < 4; ++type) {
        const int width = fieldWidth(type);
        const qint64 padding = size - fixed - width;
        if (padding < 0)
            return std::nullopt;
        if (width == 0 ? padding != 0 : width < 4 && (padding >> (8 * width)) != 0)
            continue;
        QByteArray out;
        out.reserve(size);
        out.append(packet, layout.lengthFlagsAt);
        out.append(char((layout.lengthFlags & 0x80) | (type << 3) | 0x01));
        out.append(char(layout.propertyFlags));
        appendLittleEndian(out, quint64(padding), width);
        out.append(packet + layout.sendTimeAt, kSendTimeAndDuration);
        out.append(char((layout.payloadLengthType << 6) | kept.size()));
        for (const AsfPayload &payload : kept)
            out.append(packet + payload.begin, payload.end - payload.begin);
        out.append(QByteArray(padding, '\0'));
        return out;
    }
    return std::nullopt;
}

} // namespace tunora
