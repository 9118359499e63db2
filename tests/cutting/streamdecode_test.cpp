// The decoding entry of the stream-copy module on songs ffmpeg makes: a tone whose pitch steps
// up every second shows which seconds a decode handed over, and where.
#include "cutting/madesongs.h"
#include "cutting/songfiles.h"
#include "cutting/streamdecode.h"

#include "platform/files/fileio.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace tunora;
using namespace tunora::testing;

namespace {

constexpr int kSeconds = 6;
const QString kSteps = QStringLiteral("0.5*sin(2*PI*(300+100*floor(t))*t)");

// The first channel of what a decode handed over, laid out on the song's time line.
struct Heard {
    int rate = 0;
    double first = NAN;
    std::vector<float> samples;
    double last() const { return first + double(samples.size()) / rate; }
    bool ordered = true; // each piece started where the previous one ended
    bool inRange = true; // every sample in [-1, 1]

    bool add(const DecodedSamples &s)
    {
        if (rate == 0) {
            rate = s.sampleRate;
            first = s.firstSecond;
        } else if (std::abs(s.firstSecond - last()) > 1.5 / rate) {
            ordered = false;
        }
        for (int64_t i = 0; i < s.frames; ++i) {
            const float v = s.interleaved[i * s.channels];
            inRange = inRange && v >= -1.0f && v <= 1.0f;
            samples.push_back(v);
        }
        return true;
    }

    double pitchBetween(double from, double to) const
    {
        const auto a = size_t(std::max(0.0, (from - first) * rate));
        const auto b = std::min(samples.size(), size_t(std::max(0.0, (to - first) * rate)));
        int crossings = 0;
        for (size_t i = a + 1; i < b; ++i)
            crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        return b > a ? crossings / 2.0 / (double(b - a) / rate) : 0.0;
    }
};

StreamDecode decodeFile(const QString &path, double start, double end, const char *demuxer, Heard &heard)
{
    ReadFile file{FilePath(path)};
    return streamDecode(file, start, end, demuxer, [&heard](const DecodedSamples &s) { return heard.add(s); });
}

class StreamDecodeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_songs = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_songs->isValid());
        for (const SongFormat &format : kSongFormats) {
            QString error;
            ASSERT_TRUE(makeSong(song(format), format, kSteps, kSeconds, &error))
                << format.extension << " needs ffmpeg (scripts/install-deps.sh --test): " << error.toStdString();
        }
    }
    static void TearDownTestSuite() { s_songs.reset(); }

    static QString song(const SongFormat &format)
    {
        return s_songs->filePath(QStringLiteral("steps.") + QLatin1String(format.extension));
    }

    static std::unique_ptr<QTemporaryDir> s_songs;
};

std::unique_ptr<QTemporaryDir> StreamDecodeTest::s_songs;

} // namespace

TEST_F(StreamDecodeTest, TheWholeSongComesOutInOrderWithEachSecondsPitch)
{
    for (const SongFormat &format : kSongFormats) {
        SCOPED_TRACE(format.extension);
        Heard heard;
        ASSERT_EQ(decodeFile(song(format), 0, -1, format.demuxer, heard), StreamDecode::Done);
        EXPECT_EQ(heard.rate, 44100);
        // The encoders' own delay: ffmpeg's WMA starts 92 ms in, by its time stamps.
        EXPECT_NEAR(heard.first, 0.0, 0.1);
        EXPECT_NEAR(heard.last(), kSeconds, 0.1);
        EXPECT_TRUE(heard.ordered);
        EXPECT_TRUE(heard.inRange);
        for (int k = 0; k < kSeconds; ++k)
            EXPECT_NEAR(heard.pitchBetween(k + 0.2, k + 0.8), 300 + 100 * k, 15) << "second " << k;
    }
}

TEST_F(StreamDecodeTest, AStretchInTheMiddleHoldsExactlyItsSeconds)
{
    for (const SongFormat &format : kSongFormats) {
        SCOPED_TRACE(format.extension);
        Heard heard;
        ASSERT_EQ(decodeFile(song(format), 2.5, 4.5, format.demuxer, heard), StreamDecode::Done);
        EXPECT_NEAR(heard.first, 2.5, 0.001);
        EXPECT_NEAR(heard.last(), 4.5, 0.001);
        EXPECT_TRUE(heard.ordered);
        // Its first stretch too: a decoder that starts cold (an MP3 frame without the bytes
        // of the frames before it) gives silence or noise there.
        EXPECT_NEAR(heard.pitchBetween(2.5, 2.95), 500, 15);
        EXPECT_NEAR(heard.pitchBetween(3.05, 3.95), 600, 15);
        EXPECT_NEAR(heard.pitchBetween(4.05, 4.5), 700, 15);
    }
}

TEST_F(StreamDecodeTest, StretchesSideBySideHoldEachSampleOnceAndNoneBeforeTheirStart)
{
    // A boundary 0.4 of a sample past one: that sample lies before the second stretch.
    const double boundary = 2.5 + 0.4 / 44100;
    for (const SongFormat &format : {kSongFormats[1], kSongFormats[3]}) {
        SCOPED_TRACE(format.extension);
        Heard whole, before, after;
        ASSERT_EQ(decodeFile(song(format), 0, -1, format.demuxer, whole), StreamDecode::Done);
        ASSERT_EQ(decodeFile(song(format), 0, boundary, format.demuxer, before), StreamDecode::Done);
        ASSERT_EQ(decodeFile(song(format), boundary, -1, format.demuxer, after), StreamDecode::Done);
        EXPECT_GE(after.first, boundary);
        EXPECT_LT(after.first, boundary + 1.0 / 44100);
        EXPECT_EQ(before.samples.size() + after.samples.size(), whole.samples.size());
    }
}

TEST_F(StreamDecodeTest, TheCallbackStopsTheDecode)
{
    for (const SongFormat &format : kSongFormats) {
        SCOPED_TRACE(format.extension);
        int pieces = 0;
        ReadFile file{FilePath(song(format))};
        EXPECT_EQ(streamDecode(file, 0, -1, format.demuxer, [&pieces](const DecodedSamples &) { return ++pieces < 2; }),
                  StreamDecode::Stopped);
        EXPECT_EQ(pieces, 2);
    }
}

TEST_F(StreamDecodeTest, BytesInMemoryDecodeAsTheFileDoes)
{
    const SongFormat &flac = kSongFormats[3];
    Heard fromFile;
    Heard fromMemory;
    ASSERT_EQ(decodeFile(song(flac), 1, 2, flac.demuxer, fromFile), StreamDecode::Done);
    ASSERT_EQ(streamDecode(readBytes(song(flac)), 1, 2, flac.demuxer,
                           [&fromMemory](const DecodedSamples &s) { return fromMemory.add(s); }),
              StreamDecode::Done);
    EXPECT_EQ(fromMemory.samples, fromFile.samples);
}

TEST_F(StreamDecodeTest, DamagedAndCutShortSongs)
{
    for (const SongFormat &format : kSongFormats) {
        SCOPED_TRACE(format.extension);
        const QByteArray whole = readBytes(song(format));
        Heard garbage;
        EXPECT_EQ(streamDecode(patternBytes(50'000), 0, -1, format.demuxer,
                               [&garbage](const DecodedSamples &s) { return garbage.add(s); }),
                  StreamDecode::Failed);
        EXPECT_TRUE(garbage.samples.empty());

        // The first half of the file: what it holds, and no more. ffmpeg writes an M4A file's
        // index at its end, so half of one cannot be read at all.
        Heard half;
        const StreamDecode halfResult = streamDecode(whole.left(whole.size() / 2), 0, -1, format.demuxer,
                                                     [&half](const DecodedSamples &s) { return half.add(s); });
        if (QLatin1String(format.demuxer) == QLatin1String("mov")) {
            EXPECT_EQ(halfResult, StreamDecode::Failed);
        } else {
            EXPECT_EQ(halfResult, StreamDecode::Done);
            EXPECT_GT(half.last(), 1.0);
            EXPECT_LT(half.last(), kSeconds - 1.0);
            EXPECT_TRUE(half.inRange);
        }

        // A stretch past the song's end holds nothing, and that is no failure.
        Heard past;
        EXPECT_EQ(decodeFile(song(format), kSeconds + 10, -1, format.demuxer, past), StreamDecode::Done);
        EXPECT_TRUE(past.samples.empty());
    }
}
