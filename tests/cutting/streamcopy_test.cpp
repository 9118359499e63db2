// The stream copy's output side: libavformat writes through C callbacks, so a write that
// fails must come back as the cut's failure, never as an exception through libavformat.
#include "cutting/streamcopy.h"
#include "cutting/streamcopylibav.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

using namespace tunora;

namespace {

// Five seconds of 16-bit mono PCM at 8 kHz in a WAV file: more than libavformat buffers, so
// a cut of most of it reaches the sink in several writes.
QByteArray pcmWav()
{
    constexpr quint32 kRate = 8000;
    QByteArray samples(5 * 2 * kRate, Qt::Uninitialized);
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = char(i * 7);
    QByteArray wav("RIFF....WAVEfmt ");
    auto add32 = [&wav](quint32 v) { wav.append(reinterpret_cast<const char *>(&v), 4); };
    auto add16 = [&wav](quint16 v) { wav.append(reinterpret_cast<const char *>(&v), 2); };
    add32(qToLittleEndian<quint32>(16));
    add16(qToLittleEndian<quint16>(1)); // PCM
    add16(qToLittleEndian<quint16>(1)); // mono
    add32(qToLittleEndian(kRate));
    add32(qToLittleEndian(2 * kRate));
    add16(qToLittleEndian<quint16>(2));
    add16(qToLittleEndian<quint16>(16));
    wav.append("data");
    add32(qToLittleEndian(quint32(samples.size())));
    wav.append(samples);
    const quint32 riffSize = qToLittleEndian(quint32(wav.size() - 8));
    std::memcpy(wav.data() + 4, &riffSize, 4);
    return wav;
}

int64_t readBytes(void *context, int64_t offset, void *buffer, int64_t count)
{
    const auto *bytes = static_cast<const QByteArray *>(context);
    if (offset < 0 || count < 0)
        return -1;
    const int64_t n = std::clamp<int64_t>(int64_t(bytes->size()) - offset, 0, count);
    std::memcpy(buffer, bytes->constData() + offset, size_t(n));
    return n;
}

// Writes into `bytes` what `accept` lets through; a refused write answers -1.
struct FussySink {
    std::function<bool(int64_t offset, int64_t count, qsizetype size)> accept;
    QByteArray bytes;
};

int writeFussy(void *context, int64_t offset, const void *data, int64_t count)
{
    auto *sink = static_cast<FussySink *>(context);
    if (!sink->accept(offset, count, sink->bytes.size()))
        return -1;
    const tunora_stream_sink inner = byteSink(sink->bytes);
    return inner.write_at(inner.context, offset, data, count);
}

} // namespace

TEST(StreamCopySink, GrowsToHoldEachWriteAndRefusesOneItCannotHold)
{
    QByteArray bytes;
    const tunora_stream_sink sink = byteSink(bytes);
    ASSERT_EQ(sink.write_at(sink.context, 2, "abc", 3), 0);
    EXPECT_EQ(bytes, QByteArray("\0\0abc", 5)) << "the gap before a write is zeros";
    ASSERT_EQ(sink.write_at(sink.context, 0, "X", 1), 0);
    EXPECT_EQ(bytes, QByteArray("X\0abc", 5)) << "a write back overwrites";

    // No memory holds these: the write fails and what was written stays as it was.
    struct Case {
        const char *what;
        int64_t offset, count;
    };
    for (const Case &c : {Case{"far past the end", int64_t(1) << 62, 1}, Case{"a size that overflows", 3, INT64_MAX},
                          Case{"before the start", -1, 1}}) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(sink.write_at(sink.context, c.offset, "Y", c.count), -1);
        EXPECT_EQ(bytes, QByteArray("X\0abc", 5));
    }
}

TEST(StreamCopySink, AWriteTheSinkRefusesFailsTheCut)
{
    QByteArray wav = pcmWav();
    struct Case {
        const char *what;
        std::function<bool(int64_t, int64_t, qsizetype)> accept;
        int result;
    };
    const Case cases[] = {
        {"every write taken", [](int64_t, int64_t, qsizetype) { return true; }, TUNORA_STREAM_COPY_WRITTEN},
        {"every write refused", [](int64_t, int64_t, qsizetype) { return false; }, TUNORA_STREAM_COPY_FAILED},
        {"the sizes filled in at the end refused",
         [](int64_t offset, int64_t, qsizetype size) { return offset >= size; }, TUNORA_STREAM_COPY_FAILED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FussySink sink{c.accept, {}};
        const tunora_stream_copy_job job{
            {&wav, wav.size(), readBytes}, {&sink, writeFussy}, 0.2, 4.8, "wav", "wav",
        };
        EXPECT_EQ(copyThroughLibav(job), c.result);
        if (c.result == TUNORA_STREAM_COPY_WRITTEN) {
            EXPECT_EQ(sink.bytes.left(4), "RIFF");
        }
    }
}
