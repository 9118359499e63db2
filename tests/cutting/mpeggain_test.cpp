#include "cutting/layer3sideinfo.h"
#include "cutting/mpeggain.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace tunora;

namespace {

// The side info's layout, written out here rather than taken from the code under test: after
// main_data_begin, the private bits and the scfsi, each granule and channel has a block whose
// global_gain starts 21 bits in.
struct Layout {
    quint32 header;
    int firstBlockBit;
    int blockBits;
    int granules;
    int channels;
};
constexpr Layout kStereoMpeg1{0xFFFB9000u, 9 + 3 + 8, 59, 2, 2}; // 128 kbit/s, 44.1 kHz, no CRC
constexpr Layout kMonoMpeg2{0xFFF380C0u, 8 + 1, 63, 1, 1};       // 64 kbit/s, 22.05 kHz, mono

int gainBit(const Layout &layout, int granule, int channel)
{
    return 32 + layout.firstBlockBit + (granule * layout.channels + channel) * layout.blockBits + 21;
}

int bits(const QByteArray &frame, int at, int count)
{
    int v = 0;
    for (int bit = at; bit < at + count; ++bit)
        v = (v << 1) | ((quint8(frame[bit / 8]) >> (7 - bit % 8)) & 1);
    return v;
}

void setBits(QByteArray &frame, int at, int count, int v)
{
    for (int i = 0; i < count; ++i) {
        const int bit = at + i;
        const char mask = char(1 << (7 - bit % 8));
        frame[bit / 8] = ((v >> (count - 1 - i)) & 1) ? char(frame[bit / 8] | mask) : char(frame[bit / 8] & ~mask);
    }
}

// A frame whose side info is filled with a pattern of ones and zeros, its gains set to `gain`.
QByteArray frameWithGains(const Layout &layout, int gain)
{
    const MpegHeader header = *parseMpegHeader(layout.header);
    QByteArray frame(header.length, '\0');
    for (int i = 0; i < 4; ++i)
        frame[i] = char(layout.header >> (24 - 8 * i));
    for (int i = 4; i < header.payloadOffset(); ++i)
        frame[i] = char(0xA5 ^ i);
    for (int g = 0; g < layout.granules; ++g)
        for (int c = 0; c < layout.channels; ++c)
            setBits(frame, gainBit(layout, g, c), 8, gain);
    return frame;
}

TEST(MpegGain, AGainMovesOnEveryChannelAloneStopsAtItsLimitsAndZeroStaysZero)
{
    struct Case {
        int gain;
        int steps;
        int expected;
    };
    const Case cases[] = {{100, -27, 73}, {10, -27, 0}, {1, -1, 0}, {250, 10, 255}, {0, -5, 0}, {0, 5, 0}, {140, 3, 143}};
    for (const Layout &layout : {kStereoMpeg1, kMonoMpeg2}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << layout.header << " gain " << c.gain << " steps " << c.steps);
            const QByteArray before = frameWithGains(layout, c.gain);
            QByteArray after = before;
            const MpegHeader header = *parseMpegHeader(layout.header);
            const int granule = layout.granules - 1;
            shiftGain(reinterpret_cast<unsigned char *>(after.data()), header, granule, c.steps);
            QByteArray rest = after;
            for (int ch = 0; ch < layout.channels; ++ch) {
                EXPECT_EQ(bits(after, gainBit(layout, granule, ch), 8), c.expected);
                setBits(rest, gainBit(layout, granule, ch), 8, c.gain);
            }
            EXPECT_EQ(rest, before) << "nothing but the granule's gains changes";
        }
    }
}

// A stream as a cut leaves it: the tail of a frame in front, frames, a frame cut short at the end.
TEST(MpegGain, FramesAreFoundPastPartialFramesAtEitherEnd)
{
    const QByteArray frame = frameWithGains(kStereoMpeg1, 150);
    QByteArray stream = frame.right(100);
    for (int i = 0; i < 5; ++i)
        stream += frame;
    stream += frame.left(200);
    const std::vector<MpegFrameAt> frames = layer3Frames(stream);
    ASSERT_EQ(frames.size(), 5u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].offset, 100 + qint64(i) * frame.size());

    RingtoneEffects effects;
    effects.fadeIn = true;
    effects.fadeInSeconds = 10; // longer than the stream: every granule lowered, the first most
    const QByteArray before = stream;
    ASSERT_TRUE(applyMpegGains(stream, effects));
    EXPECT_EQ(stream.left(100), before.left(100));
    EXPECT_EQ(stream.right(200), before.right(200));
    int previous = 0;
    for (const MpegFrameAt &at : frames) {
        for (int g = 0; g < 2; ++g) {
            const int gain = bits(stream.mid(at.offset, frame.size()), gainBit(kStereoMpeg1, g, 0), 8);
            EXPECT_LT(gain, 150);
            EXPECT_GE(gain, previous);
            previous = gain;
        }
    }
    EXPECT_LE(150 - previous, 27);
    EXPECT_GE(150 - bits(stream.mid(100, frame.size()), gainBit(kStereoMpeg1, 0, 0), 8), 26);
}

TEST(MpegGain, AStreamWithoutLayer3FramesIsLeftAlone)
{
    QByteArray bytes(5000, '\x55');
    const QByteArray before = bytes;
    RingtoneEffects effects;
    effects.fadeIn = true;
    EXPECT_FALSE(applyMpegGains(bytes, effects));
    EXPECT_EQ(bytes, before);
}

} // namespace
