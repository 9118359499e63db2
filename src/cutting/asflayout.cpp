#include "asflayout.h"

#include "asfpacket.h"
#include "byteorder.h"

#include "platform/files/fileio.h"

#include <cstring>

namespace tunora {

namespace {

using Byte = unsigned char;

constexpr Byte kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                  0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Byte kFilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                          0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Byte kStreamPropertiesGuid[16] = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                            0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Byte kAudioMediaGuid[16] = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                                      0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
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
// Stream properties object fields.
constexpr qint64 kSpStreamType = 24;
constexpr qint64 kSpFlags = 72; // the stream number in its low 7 bits
constexpr qint64 kStreamPropertiesSize = 78;
// Data object fields.
constexpr qint64 kDataObjectSize = 16;
constexpr qint64 kDataPacketCount = 40;

const Byte *bytesOf(const QByteArray &a)
{
    return reinterpret_cast<const Byte *>(a.constData());
}

} // namespace

std::optional<AsfLayout> parseAsf(const ReadFile &file)
{
    Byte fixed[kHeaderObjectFixed];
    if (!readExactly(file, 0, fixed, sizeof fixed)
        || std::memcmp(fixed, kHeaderGuid, 16) != 0)
        return std::nullopt;
    const quint64 headerSize = littleEndian(fixed + 16, 8);
    if (headerSize < quint64(kHeaderObjectFixed) || headerSize > quint64(kMaxHeaderSize)
        || qint64(headerSize) + kDataObjectHeaderSize > file.size())
        return std::nullopt;

    AsfLayout layout;
    layout.header = QByteArray(qint64(headerSize), Qt::Uninitialized);
    if (!readExactly(file, 0, layout.header.data(), layout.header.size()))
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
        } else if (std::memcmp(h + at, kStreamPropertiesGuid, 16) == 0 && size >= quint64(kStreamPropertiesSize)
                   && std::memcmp(h + at + kSpStreamType, kAudioMediaGuid, 16) == 0 && layout.audioStream == 0) {
            layout.audioStream = littleEndian16(h + at + kSpFlags) & 0x7F;
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
    if (layout.prerollMs > 0xFFFFFFFFu)
        return std::nullopt; // presentation times, preroll included, are 32-bit milliseconds
    layout.playDuration = littleEndian(fp + kFpPlayDuration, 8);

    Byte data[kDataObjectHeaderSize];
    const qint64 dataAt = layout.header.size();
    if (!readExactly(file, dataAt, data, sizeof data)
        || std::memcmp(data, kDataGuid, 16) != 0)
        return std::nullopt;
    layout.packetsOffset = dataAt + kDataObjectHeaderSize;
    // The packets the file holds: a broadcast or cut-short file may claim more.
    qint64 end = file.size();
    const quint64 dataSize = littleEndian(data + kDataObjectSize, 8);
    if (dataSize >= quint64(kDataObjectHeaderSize) && dataSize <= quint64(file.size() - dataAt))
        end = dataAt + qint64(dataSize);
    layout.packetCount = (end - layout.packetsOffset) / layout.packetSize;
    if (layout.audioStream == 0 && layout.packetCount > 0) {
        // Its properties may sit in the header extension; the first payload's stream is the
        // audio of a song file.
        QByteArray packet(layout.packetSize, Qt::Uninitialized);
        if (!readExactly(file, layout.packetsOffset, packet.data(), packet.size()))
            return std::nullopt;
        const std::optional<AsfPacket> first = parseAsfPacket(packet.constData(), packet.size());
        if (first && !first->payloads.isEmpty())
            layout.audioStream = first->payloads.first().stream;
    }
    if (layout.audioStream == 0)
        return std::nullopt;
    return layout;
}

std::optional<quint32> asfPacketSendTime(const ReadFile &file, const AsfLayout &layout, qint64 index)
{
    if (index < 0 || index >= layout.packetCount)
        return std::nullopt;
    QByteArray packet(layout.packetSize, Qt::Uninitialized);
    if (!readExactly(file, layout.packetsOffset + index * layout.packetSize, packet.data(), packet.size()))
        return std::nullopt;
    const std::optional<AsfPacket> parsed = parseAsfPacket(packet.constData(), packet.size());
    if (!parsed)
        return std::nullopt;
    return littleEndian32(reinterpret_cast<const Byte *>(packet.constData()) + parsed->sendTimeAt);
}

qint64 asfSongEndMs(const AsfLayout &layout)
{
    return qint64(layout.playDuration / 10'000) - qint64(layout.prerollMs);
}

QByteArray asfOutputHead(const AsfLayout &layout, qint64 packetCount, qint64 durationMs)
{
    QByteArray head = layout.header;
    const qint64 dataSize = kDataObjectHeaderSize + packetCount * layout.packetSize;
    const qint64 fp = layout.filePropertiesAt;
    const quint64 duration = quint64(qMax<qint64>(durationMs, 0)) * 10'000;
    putLittleEndian(head, fp + kFpFileSize, quint64(head.size() + dataSize), 8);
    putLittleEndian(head, fp + kFpPacketCount, quint64(packetCount), 8);
    putLittleEndian(head, fp + kFpPlayDuration, duration + layout.prerollMs * 10'000, 8);
    putLittleEndian(head, fp + kFpSendDuration, duration, 8);

    QByteArray data(kDataObjectHeaderSize, '\0');
    std::memcpy(data.data(), kDataGuid, 16);
    putLittleEndian(data, kDataObjectSize, quint64(dataSize), 8);
    // The file ID repeats the one in the file properties.
    std::memcpy(data.data() + 24, head.constData() + fp + 24, 16);
    putLittleEndian(data, kDataPacketCount, quint64(packetCount), 8);
    data[48] = 0x01; // reserved, always 0x0101
    data[49] = 0x01;
    return head + data;
}

} // namespace tunora
