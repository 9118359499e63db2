#include "asflayout.h"

#include "byteorder.h"

#include "platform/files/fileio.h"

#include <cmath>
#include <cstring>

namespace tunora {

namespace {

using Byte = unsigned char;

constexpr Byte kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Byte kFilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                          0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Byte kDataGuid[16] = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

constexpr qint64 kObjectHeaderSize = 24; // GUID and 64-bit size
constexpr qint64 kHeaderObjectFixed = 30; // + object count and two reserved bytes
constexpr qint64 kDataObjectHeaderSize = 50; // + file ID, packet count, reserved
// A header carries metadata and perhaps cover art, but never this much.
constexpr qint64 kMaxHeaderSize = qint64(64) << 20;
constexpr qint64 kMaxPacketSize = qint64(1) << 20;

// File properties object fields, from the start of the object.
constexpr qint64 kFpFileSize = 40;
constexpr qint64 kFpPacketCount = 56;
constexpr qint64 kFpPlayDuration = 64;
constexpr qint64 kFpSendDuration = 72;
constexpr qint64 kFpPreroll = 80;
constexpr qint64 kFpMinPacketSize = 92;
constexpr qint64 kFpMaxPacketSize = 96;
constexpr qint64 kFilePropertiesSize = 104;
// Data object fields.
constexpr qint64 kDataObjectSize = 16;
constexpr qint64 kDataPacketCount = 40;

const Byte *bytesOf(const QByteArray &a)
{
    return reinterpret_cast<const Byte *>(a.constData());
}

// Width in bytes of a field whose 2-bit length type is `type`: 0, 1, 2 or 4.
int fieldWidth(int type)
{
    return type == 3 ? 4 : type;
}

} // namespace

std::optional<AsfLayout> parseAsf(const ReadFile &file)
{
    Byte fixed[kHeaderObjectFixed];
    if (file.readAt(0, reinterpret_cast<char *>(fixed), sizeof fixed) != qint64(sizeof fixed)
        || std::memcmp(fixed, kHeaderGuid, 16) != 0)
        return std::nullopt;
    const quint64 headerSize = littleEndian(fixed + 16, 8);
    if (headerSize < quint64(kHeaderObjectFixed) || headerSize > quint64(kMaxHeaderSize)
        || qint64(headerSize) + kDataObjectHeaderSize > file.size())
        return std::nullopt;

    AsfLayout layout;
    layout.header = QByteArray(qint64(headerSize), Qt::Uninitialized);
    if (file.readAt(0, layout.header.data(), layout.header.size()) != layout.header.size())
        return std::nullopt;

    const Byte *h = bytesOf(layout.header);
    bool found = false;
    for (qint64 at = kHeaderObjectFixed; at + kObjectHeaderSize <= layout.header.size();) {
        const quint64 size = littleEndian(h + at + 16, 8);
        if (size < quint64(kObjectHeaderSize) || size > quint64(layout.header.size() - at))
            return std::nullopt;
        if (std::memcmp(h + at, kFilePropertiesGuid, 16) == 0) {
            if (size < quint64(kFilePropertiesSize))
                return std::nullopt;
            layout.filePropertiesAt = at;
            found = true;
        }
        at += qint64(size);
    }
    if (!found)
        return std::nullopt;

    const Byte *fp = h + layout.filePropertiesAt;
    const quint64 minPacket = littleEndian(fp + kFpMinPacketSize, 4);
    const quint64 maxPacket = littleEndian(fp + kFpMaxPacketSize, 4);
    if (minPacket != maxPacket || minPacket == 0 || minPacket > quint64(kMaxPacketSize))
        return std::nullopt;
    layout.packetSize = qint64(minPacket);
    layout.prerollMs = littleEndian(fp + kFpPreroll, 8);
    layout.playDuration = littleEndian(fp + kFpPlayDuration, 8);

    Byte data[kDataObjectHeaderSize];
    const qint64 dataAt = layout.header.size();
    if (file.readAt(dataAt, reinterpret_cast<char *>(data), sizeof data) != qint64(sizeof data)
        || std::memcmp(data, kDataGuid, 16) != 0)
        return std::nullopt;
    layout.packetsOffset = dataAt + kDataObjectHeaderSize;
    // The packets the file holds: a broadcast or cut-short file may claim more.
    qint64 end = file.size();
    const quint64 dataSize = littleEndian(data + kDataObjectSize, 8);
    if (dataSize >= quint64(kDataObjectHeaderSize) && dataSize <= quint64(file.size() - dataAt))
        end = dataAt + qint64(dataSize);
    layout.packetCount = (end - layout.packetsOffset) / layout.packetSize;
    return layout;
}

std::optional<quint32> asfPacketSendTime(const ReadFile &file, const AsfLayout &layout, qint64 index)
{
    if (index < 0 || index >= layout.packetCount)
        return std::nullopt;
    // Error correction (at most 1 + 15 bytes), two flag bytes, three fields of up to 4 bytes,
    // then the send time.
    Byte p[48] = {};
    const qint64 want = qMin<qint64>(sizeof p, layout.packetSize);
    if (file.readAt(layout.packetsOffset + index * layout.packetSize, reinterpret_cast<char *>(p), want) != want)
        return std::nullopt;
    qint64 at = 0;
    if (p[0] & 0x80) {
        if ((p[0] >> 5) & 3)
            return std::nullopt; // error correction length type must be 0
        at = 1 + (p[0] & 0x0F);
    }
    const int flags = p[at];
    at += 2; // length type flags, property flags
    at += fieldWidth((flags >> 5) & 3) + fieldWidth((flags >> 1) & 3) + fieldWidth((flags >> 3) & 3);
    if (at + 6 > want)
        return std::nullopt;
    return quint32(littleEndian(p + at, 4));
}

std::optional<AsfStretch> asfStretch(const ReadFile &file, const AsfLayout &layout, MarkedSpan span)
{
    if (span.empty() || layout.packetCount <= 0)
        return AsfStretch{};
    const auto ms = [](double seconds) { return seconds >= 4e9 / 1000.0 ? 4e9 : std::floor(seconds * 1000.0); };
    const double startMs = ms(span.start);
    const double endMs = ms(span.end);
    const quint64 playMs = layout.playDuration / 10'000;
    const quint64 songEnd = playMs > layout.prerollMs ? playMs - layout.prerollMs : 0;
    if (songEnd > 0 && startMs >= double(songEnd))
        return AsfStretch{}; // the start lies past the song's end

    // The last packet sent before `limit` (or at it, when `inclusive`), -1 for none. Send
    // times never decrease, so a binary search reads a few packet headers only.
    bool readable = true;
    const auto lastSentBefore = [&](double limit, bool inclusive) {
        qint64 lo = 0, hi = layout.packetCount; // the answer + 1 lies in [lo, hi]
        while (lo < hi) {
            const qint64 mid = lo + (hi - lo) / 2;
            const std::optional<quint32> sent = asfPacketSendTime(file, layout, mid);
            if (!sent) {
                readable = false;
                return qint64(-1);
            }
            if (inclusive ? double(*sent) <= limit : double(*sent) < limit)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo - 1;
    };
    const qint64 first = qMax<qint64>(lastSentBefore(startMs, true), 0);
    const qint64 last = lastSentBefore(endMs, false);
    if (!readable)
        return std::nullopt;
    if (last < first)
        return AsfStretch{};

    const std::optional<quint32> firstSent = asfPacketSendTime(file, layout, first);
    if (!firstSent)
        return std::nullopt;
    // The stretch ends where the next packet begins, or where the song ends.
    quint64 endSent = 0;
    if (last + 1 < layout.packetCount) {
        const std::optional<quint32> next = asfPacketSendTime(file, layout, last + 1);
        if (!next)
            return std::nullopt;
        endSent = *next;
    } else {
        endSent = songEnd;
    }
    AsfStretch stretch;
    stretch.firstPacket = first;
    stretch.packetCount = last - first + 1;
    stretch.durationMs = endSent > *firstSent ? endSent - *firstSent : 0;
    stretch.firstSentMs = *firstSent;
    return stretch;
}

bool shiftAsfPacketTimes(char *packet, qint64 size, quint32 shiftMs)
{
    auto *p = reinterpret_cast<Byte *>(packet);
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
    // Moves the time of `width` bytes at `where` earlier.
    const auto shift = [&](qint64 where, int width) {
        const quint64 time = littleEndian(p + where, width);
        for (int i = 0; i < width; ++i)
            p[where + i] = Byte(((time > shiftMs ? time - shiftMs : 0) >> (8 * i)) & 0xFF);
    };

    if (size < 1)
        return false;
    if (p[0] & 0x80) {
        if ((p[0] >> 5) & 3)
            return false;
        at = 1 + (p[0] & 0x0F);
    }
    if (at + 2 > end)
        return false;
    const int lengthFlags = p[at];
    const int propertyFlags = p[at + 1];
    at += 2;
    quint64 packetLength = 0, sequence = 0, padding = 0;
    if (!field((lengthFlags >> 5) & 3, packetLength) || !field((lengthFlags >> 1) & 3, sequence)
        || !field((lengthFlags >> 3) & 3, padding))
        return false;
    if ((lengthFlags >> 5) & 3)
        end = qMin<qint64>(end, qint64(packetLength));
    end -= qint64(qMin<quint64>(padding, quint64(qMax<qint64>(end, 0))));
    if (at + 6 > end)
        return false;
    shift(at, 4); // send time
    at += 6;      // and the duration

    const bool multiple = lengthFlags & 1;
    int payloads = 1;
    int payloadLengthType = 0;
    if (multiple) {
        if (at + 1 > end)
            return false;
        payloads = p[at] & 0x3F;
        payloadLengthType = (p[at] >> 6) & 3;
        ++at;
    }
    const int replicatedType = propertyFlags & 3;
    const int offsetType = (propertyFlags >> 2) & 3;
    const int objectType = (propertyFlags >> 4) & 3;
    for (int i = 0; i < payloads; ++i) {
        quint64 stream = 0, object = 0, offset = 0, replicated = 0;
        const qint64 offsetAt = at + 1 + fieldWidth(objectType);
        if (!field(1, stream) || !field(objectType, object) || !field(offsetType, offset)
            || !field(replicatedType, replicated))
            return false;
        if (replicated == 1) {
            // Compressed payloads: the offset field holds the presentation time, a time delta
            // follows, then sub-payloads of one length byte each.
            shift(offsetAt, fieldWidth(offsetType));
            ++at;
        } else {
            if (replicated > quint64(end - at))
                return false;
            if (replicated >= 8)
                shift(at + 4, 4); // after the media object's size
            at += qint64(replicated);
        }
        quint64 length = quint64(end - at);
        if (multiple && !field(payloadLengthType, length))
            return false;
        if (length > quint64(end - at))
            return false;
        at += qint64(length);
    }
    return true;
}

QByteArray asfOutputHead(const AsfLayout &layout, const AsfStretch &stretch)
{
    QByteArray head = layout.header;
    const qint64 dataSize = kDataObjectHeaderSize + stretch.packetCount * layout.packetSize;
    const qint64 fp = layout.filePropertiesAt;
    const quint64 duration = stretch.durationMs * 10'000;
    putLittleEndian(head, fp + kFpFileSize, quint64(head.size() + dataSize), 8);
    putLittleEndian(head, fp + kFpPacketCount, quint64(stretch.packetCount), 8);
    putLittleEndian(head, fp + kFpPlayDuration, duration + layout.prerollMs * 10'000, 8);
    putLittleEndian(head, fp + kFpSendDuration, duration, 8);

    QByteArray data(kDataObjectHeaderSize, '\0');
    std::memcpy(data.data(), kDataGuid, 16);
    putLittleEndian(data, kDataObjectSize, quint64(dataSize), 8);
    // The file ID repeats the one in the file properties.
    std::memcpy(data.data() + 24, head.constData() + fp + 24, 16);
    putLittleEndian(data, kDataPacketCount, quint64(stretch.packetCount), 8);
    data[48] = 0x01; // reserved, always 0x0101
    data[49] = 0x01;
    return head + data;
}

} // namespace tunora
