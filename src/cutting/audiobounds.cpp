#include "audiobounds.h"

#include "byteorder.h"
#include "mpegheader.h"

#include "platform/files/fileio.h"

#include <cstring>

namespace tunora {

namespace {

using Byte = unsigned char;

constexpr qint64 kId3v2HeaderSize = 10;
constexpr qint64 kId3v1Size = 128;
constexpr qint64 kApeFooterSize = 32;

// Total size of an ID3v2 tag starting at offset (header, body, footer), or 0 if none.
qint64 id3v2TagSize(const ReadFile &file, qint64 offset)
{
    Byte h[kId3v2HeaderSize];
    if (!readExactly(file, offset, h, sizeof h))
        return 0;
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF)
        return 0;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80)
        return 0; // the size is syncsafe: a set top bit means this is not a tag header
    const qint64 body = (qint64(h[6]) << 21) | (qint64(h[7]) << 14) | (qint64(h[8]) << 7) | qint64(h[9]);
    const bool hasFooter = h[3] >= 4 && (h[5] & 0x10);
    return kId3v2HeaderSize + body + (hasFooter ? kId3v2HeaderSize : 0);
}

// The info frame (Xing, Info or VBRI) at offset, or tag None when the frame there is audio.
InfoFrame infoFrameAt(const ReadFile &file, qint64 offset, qint64 end)
{
    Byte buf[kInfoFrameReadSize] = {};
    const qint64 available = qMin<qint64>(sizeof buf, end - offset);
    if (available < 4 || !readExactly(file, offset, buf, available))
        return {};
    return parseInfoFrame(buf, available, end - offset);
}

// Size of an APEv2 tag that ends at `end` (footer last), or 0 if none.
qint64 apeTagSizeBefore(const ReadFile &file, qint64 begin, qint64 end)
{
    if (end - begin < kApeFooterSize)
        return 0;
    Byte f[kApeFooterSize];
    if (!readExactly(file, end - kApeFooterSize, f, sizeof f) || std::memcmp(f, "APETAGEX", 8) != 0)
        return 0;
    const qint64 sizeWithFooter = littleEndian32(f + 12);
    const bool hasHeader = littleEndian32(f + 20) & 0x80000000u;
    const qint64 total = sizeWithFooter + (hasHeader ? kApeFooterSize : 0);
    if (sizeWithFooter < kApeFooterSize || total > end - begin)
        return 0;
    return total;
}

} // namespace

AudioBounds findAudioBounds(const ReadFile &file)
{
    if (!file.isOpen())
        return {};
    AudioBounds bounds{0, file.size(), file.size()};

    while (const qint64 tag = id3v2TagSize(file, bounds.begin)) {
        if (tag > bounds.end - bounds.begin)
            return {bounds.end, bounds.end, bounds.end}; // a tag that claims more than the file: no audio
        bounds.begin += tag;
    }

    if (bounds.end - bounds.begin >= kId3v1Size) {
        Byte t[3];
        if (readExactly(file, bounds.end - kId3v1Size, t, sizeof t) && std::memcmp(t, "TAG", 3) == 0)
            bounds.end -= kId3v1Size;
    }
    bounds.end -= apeTagSizeBefore(file, bounds.begin, bounds.end);

    bounds.info = infoFrameAt(file, bounds.begin, bounds.end);
    bounds.begin += bounds.info.length;
    return bounds;
}

} // namespace tunora
