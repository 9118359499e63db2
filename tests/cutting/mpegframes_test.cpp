#include "cutting/audiobounds.h"
#include "cutting/layer3sideinfo.h"
#include "cutting/mpegframes.h"
#include "cutting/mpegjoints.h"
#include "cutting/mpegsegment.h"
#include "cutting/xingframe.h"

#include "songfiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

// MPEG-1 Layer III, 44.1 kHz, stereo, no CRC; the bit rate index goes in bits 12..15.
constexpr quint32 kStereo441 = 0xFFFB0000u;
constexpr int k128 = 9;  // 417 bytes a frame
constexpr int k160 = 10; // 522
constexpr int k320 = 14; // 1044

quint32 headerOf(int bitrateIndex, quint32 base = kStereo441)
{
    return base | quint32(bitrateIndex) << 12;
}

// A whole frame whose audio data begins `reservoir` bytes back and takes `dataBytes` bytes;
// its payload is filled with `fill`.
QByteArray frame(quint32 header, int reservoir = 0, int dataBytes = 0, char fill = '\x11')
{
    const MpegHeader h = *parseMpegHeader(header);
    QByteArray bytes(h.length, fill);
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(header >> (24 - 8 * i));
    bytes.replace(4, h.sideInfoSize, QByteArray(h.sideInfoSize, 0));
    auto *side = reinterpret_cast<unsigned char *>(bytes.data() + 4);
    side[0] = uchar(reservoir >> 1);
    side[1] = uchar((reservoir & 1) << 7);
    // The first granule's first channel holds all the data: part2_3_length at bit 20.
    const int bits = dataBytes * 8;
    for (int i = 0; i < 12; ++i)
        if ((bits >> (11 - i)) & 1)
            side[(20 + i) / 8] |= uchar(1 << (7 - (20 + i) % 8));
    return bytes;
}

QByteArray frames(int count, int bitrateIndex)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += frame(headerOf(bitrateIndex));
    return bytes;
}

struct Walked {
    std::vector<qint64> offsets;
    bool uniform = true;
};

Walked walk(const QByteArray &bytes)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"song.mp3"_s), bytes);
    const ReadFile file(FilePath(dir.filePath(u"song.mp3"_s)));
    MpegFrameWalk frames(file, 0, file.size());
    Walked walked;
    while (const std::optional<MpegFrame> f = frames.next()) {
        EXPECT_EQ(f->index, qint64(walked.offsets.size()));
        walked.offsets.push_back(f->offset);
    }
    walked.uniform = frames.uniform();
    return walked;
}

SongRow marks(const char *start, const char *end)
{
    return {u"song.mp3"_s, QString::fromLatin1(start), QString::fromLatin1(end), u"1"_s, u"100"_s};
}

class MpegSegmentTest : public ::testing::Test {
protected:
    MpegSegment locate(const QByteArray &song, const SongRow &row, SegmentUse use)
    {
        writeBytes(m_dir.filePath(u"song.mp3"_s), song);
        const ReadFile file(FilePath(m_dir.filePath(u"song.mp3"_s)));
        return locateMpegSegment(file, findAudioBounds(file), row, use);
    }

    QTemporaryDir m_dir;
};

// An info frame with `tag` (and a LAME tag with an encoder delay when `delay` >= 0).
QByteArray infoFrame(const char *tag, int delay = -1)
{
    QByteArray bytes = frame(headerOf(k128), 0, 0, 0);
    bytes.replace(36, 4, tag);
    bytes.replace(40, 4, QByteArray(4, 0)); // no fields
    if (delay >= 0) {
        bytes.replace(44, 4, "LAME");
        bytes[44 + 21] = char(delay >> 4);
        bytes[44 + 22] = char((delay & 15) << 4);
    }
    return bytes;
}

} // namespace

TEST(MpegFrameWalk, FindsTheFramesAsADecoderDoes)
{
    const qint64 f128 = 417;
    const qint64 f320 = 1044;
    {
        SCOPED_TRACE("junk before the first frame and between frames, a frame cut short at the end");
        const QByteArray junk(37, '\x5A');
        const QByteArray song = QByteArray(100, 0) + frames(3, k128) + junk + frames(2, k320) + frame(headerOf(k128)).left(200);
        const Walked w = walk(song);
        const std::vector<qint64> expected = {100, 100 + f128, 100 + 2 * f128, 100 + 3 * f128 + 37,
                                              100 + 3 * f128 + 37 + f320};
        EXPECT_EQ(w.offsets, expected);
        EXPECT_TRUE(w.uniform);
    }
    {
        SCOPED_TRACE("the sample rate changes: the walk ends there");
        const Walked w = walk(frames(3, k128) + frame(0xFFFB9400u) + frame(0xFFFB9400u)); // 48 kHz
        EXPECT_EQ(w.offsets.size(), 3u);
        EXPECT_FALSE(w.uniform);
    }
    {
        SCOPED_TRACE("no frames: bytes of no kind, and a free-format stream");
        EXPECT_TRUE(walk(patternBytes(20'000)).offsets.empty());
        QByteArray freeFormat = frames(4, k128);
        for (int i = 0; i < 4; ++i)
            freeFormat[i * 417 + 2] = char(uchar(freeFormat[i * 417 + 2]) & 0x0F); // bit rate index 0
        EXPECT_TRUE(walk(freeFormat).offsets.empty());
    }
}

TEST_F(MpegSegmentTest, KindFollowsTheFramesAndTheInfoTag)
{
    const QByteArray oneRate = frames(50, k128);
    const QByteArray twoRates = frames(25, k128) + frames(25, k160);
    const struct {
        const char *what;
        QByteArray song;
        MpegSegment::Kind kind;
    } cases[] = {
        {"one bit rate, no tag", oneRate, MpegSegment::Kind::ConstantRate},
        {"one bit rate behind an Info tag", infoFrame("Info") + oneRate, MpegSegment::Kind::ConstantRate},
        {"one bit rate behind a Xing tag", infoFrame("Xing") + oneRate, MpegSegment::Kind::VariableRate},
        {"two bit rates, no tag", twoRates, MpegSegment::Kind::VariableRate},
        {"two bit rates behind an Info tag", infoFrame("Info") + twoRates, MpegSegment::Kind::VariableRate},
        {"bytes of no kind", patternBytes(20'000), MpegSegment::Kind::NotMpeg},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(locate(c.song, marks("0.2", "0.5"), SegmentUse::Cut).kind, c.kind);
    }
}

TEST_F(MpegSegmentTest, VariableRateFramesHoldTheMarksAsAPlayerTimesThem)
{
    // 100 frames of 1152 samples at 44.1 kHz: frame k holds [k, k + 1) x 26.12 ms of decoded
    // samples. A player that reads a LAME tag's encoder delay drops it and 529 samples more.
    QByteArray audio;
    for (int i = 0; i < 100; ++i)
        audio += frame(headerOf(i % 2 ? k128 : k160));
    const struct {
        const char *what;
        QByteArray info;
        const char *start, *end;
        int first, end_; // frames [first, end_)
    } cases[] = {
        {"no delay known", {}, "0.5", "1", 19, 39},     // 22050 / 1152 = 19.1; 44100 / 1152 = 38.3
        {"a LAME tag's delay", infoFrame("Xing", 576), "0.5", "1", 20, 40}, // + 1105 samples
        {"from the start", {}, "0", "0.05", 0, 2},
        {"past the end", {}, "2", "9", 76, 100},
        {"past the song", {}, "3", "4", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const MpegSegment segment = locate(c.info + audio, marks(c.start, c.end), SegmentUse::Cut);
        ASSERT_EQ(segment.kind, MpegSegment::Kind::VariableRate);
        ASSERT_EQ(segment.frames.size(), size_t(c.end_ - c.first));
        if (c.end_ > c.first) {
            qint64 offset = c.info.size();
            for (int i = 0; i < c.first; ++i)
                offset += i % 2 ? 417 : 522;
            EXPECT_EQ(segment.frames.front().offset, offset);
        }
    }
}

TEST_F(MpegSegmentTest, ReservoirIsTheBytesBeforeTheFirstFrame)
{
    // Frame 20 takes 500 bytes from before it: the last 500 bytes of the payloads of frames 18
    // and 19 (381 each: 417 less the header and 32 bytes of side info).
    QByteArray song;
    for (int i = 0; i < 40; ++i)
        song += frame(headerOf(k128), i == 20 ? 500 : 0, 0, char('A' + i % 26));
    const MpegSegment segment = locate(infoFrame("Xing") + song, marks("0.53", "0.8"), SegmentUse::Merge);
    ASSERT_EQ(segment.frames.size(), 11u); // frames 20..30
    EXPECT_EQ(segment.frames.front().offset, 417 + 20 * 417);
    EXPECT_EQ(segment.reservoir, QByteArray(119, char('A' + 18)) + QByteArray(381, char('A' + 19)));
}

TEST(MpegJoints, NextSegmentsReservoirGoesIntoTheUnusedEndOfTheOneBefore)
{
    const auto segmentOf = [](int bitrateIndex, int unusedTail, int reservoir) {
        MpegSegment s;
        s.kind = MpegSegment::Kind::VariableRate;
        const MpegHeader h = *parseMpegHeader(headerOf(bitrateIndex));
        for (int i = 0; i < 10; ++i)
            s.frames.push_back({i * h.length, h.bits, qint32(h.length), qint32(h.length - 36), 0, unusedTail});
        s.reservoir = QByteArray(reservoir, 'r');
        return s;
    };
    const struct {
        const char *what;
        MpegSegment before, after;
        int grownIndex; // 0: the last frame keeps its own
        bool carrier;
    } cases[] = {
        {"room enough", segmentOf(k128, 300, 0), segmentOf(k128, 0, 250), 0, false},
        {"the last frame grows for room (224 kbps)", segmentOf(k128, 100, 0), segmentOf(k128, 0, 400), 12, false},
        {"no room at the highest bit rate: a silent frame carries it", segmentOf(k320, 0, 0),
         segmentOf(k128, 0, 300), 0, true},
        {"nothing to carry", segmentOf(k128, 0, 0), segmentOf(k128, 0, 0), 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<SegmentWriting> w = planWriting({&c.before, &c.after});
        ASSERT_EQ(w.size(), 2u);
        EXPECT_TRUE(w[0].carrier.isEmpty()) << "the first segment needs no reservoir";
        EXPECT_TRUE(w[0].fadeOut);
        EXPECT_TRUE(w[1].fadeIn);
        EXPECT_EQ(w[0].grownLast ? int((w[0].grownLast >> 12) & 15) : 0, c.grownIndex);
        EXPECT_EQ(w[1].carrier.isEmpty(), !c.carrier);
        EXPECT_EQ(w[0].tail, c.carrier ? QByteArray() : c.after.reservoir);
        EXPECT_EQ(w[1].held, c.after.reservoir.size());
        if (c.carrier) {
            const MpegHeader h = *parseMpegHeader(reinterpret_cast<const unsigned char *>(w[1].carrier.constData()));
            EXPECT_EQ(w[1].carrier.size(), h.length);
            EXPECT_EQ(w[1].carrier.right(300), c.after.reservoir);
            EXPECT_EQ(writtenLengths(c.after, w[1]).size(), c.after.frames.size() + 1);
        }
    }
}

TEST(XingFrame, TellsItsStreamsFramesBytesAndTimes)
{
    const struct {
        const char *what;
        quint32 header;
    } formats[] = {
        {"MPEG-1 stereo", headerOf(k128)},
        {"MPEG-1 mono", headerOf(k128) | 0xC0},
        {"MPEG-2 mono", 0xFFF380C0u},
        {"MPEG-2.5 stereo", 0xFFE38000u},
    };
    for (const auto &f : formats) {
        SCOPED_TRACE(f.what);
        const MpegHeader model = *parseMpegHeader(f.header);
        // The first half of the frames twice as long as the second.
        std::vector<qint32> lengths(200, 200);
        std::fill(lengths.begin(), lengths.begin() + 100, 400);
        const QByteArray xing = xingFrame(model, lengths);
        const auto *p = reinterpret_cast<const unsigned char *>(xing.constData());
        const InfoFrame info = parseInfoFrame(p, xing.size(), xing.size());
        ASSERT_EQ(info.tag, InfoTag::Xing);
        ASSERT_EQ(info.length, xing.size());
        const MpegHeader h = *parseMpegHeader(p);
        EXPECT_EQ(h.format, model.format);
        const qint64 at = 4 + h.sideInfoSize;
        const auto field = [&](qint64 i) {
            return (quint32(p[i]) << 24) | (quint32(p[i + 1]) << 16) | (quint32(p[i + 2]) << 8) | p[i + 3];
        };
        EXPECT_EQ(field(at + 4), 7u); // frames, bytes and table
        EXPECT_EQ(field(at + 8), 200u);
        EXPECT_EQ(field(at + 12), quint32(xing.size() + 60'000));
        // Half the time in, two thirds of the bytes.
        EXPECT_NEAR(p[at + 16 + 50], 256.0 * (xing.size() + 40'000) / (xing.size() + 60'000), 1);
    }
    EXPECT_TRUE(xingFrame(*parseMpegHeader(0xFFFD9000u), {417}).isEmpty()) << "Layer II has no info frame";
}
