#include "xingframe.h"

namespace tunora {

namespace {

constexpr quint32 kFramesFlag = 1;
constexpr quint32 kBytesFlag = 2;
constexpr quint32 kTocFlag = 4;
constexpr int kTocSize = 100;
// "Xing", flags, frames, bytes, table of contents.
constexpr qint64 kXingDataSize = 4 + 4 + 4 + 4 + kTocSize;

void putBigEndian(QByteArray &bytes, qint64 at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
}

} // namespace

QByteArray xingFrame(const MpegHeader &model, const std::vector<qint32> &frameLengths)
{
    if (model.format.layer != 3)
        return {};
    // The lowest bit rate whose frame holds the data.
    std::optional<MpegHeader> header;
    for (int index = 1; index <= 14 && !header; ++index) {
        header = withBitrateIndex(model, index);
        if (header && header->length < header->payloadOffset() + kXingDataSize)
            header.reset();
    }
    if (!header)
        return {};

    QByteArray frame(header->length, 0);
    putBigEndian(frame, 0, header->bits);
    qint64 at = header->payloadOffset();
    frame.replace(at, 4, "Xing");
    putBigEndian(frame, at + 4, kFramesFlag | kBytesFlag | kTocFlag);
    qint64 total = header->length;
    for (const qint32 length : frameLengths)
        total += length;
    putBigEndian(frame, at + 8, quint32(frameLengths.size()));
    putBigEndian(frame, at + 12, quint32(qMin<qint64>(total, 0xFFFFFFFF)));

    // Entry i: where the frame that starts i % into the stream's time lies, in 256ths of the
    // stream's bytes, counted from this frame's start.
    at += 16;
    qint64 offset = header->length;
    size_t counted = 0;
    for (int i = 0; i < kTocSize; ++i) {
        const size_t target = size_t(qint64(frameLengths.size()) * i / kTocSize);
        for (; counted < target; ++counted)
            offset += frameLengths[counted];
        frame[at + i] = char(qMin<qint64>(255, offset * 256 / total));
    }
    return frame;
}

} // namespace tunora
