// The module's FLAC re-encode on its own: each sample scaled by the gain asked for it,
// rounded and clipped at its bits (never wrapped round), and a failure wherever the source
// or the sink fails.
#include "exactsamples.h"

#include "cutting/streamcopy.h"
#include "cutting/streamcopylibav.h"
#include "cutting/streamdecode.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

struct Format {
    const char *what;
    int bits;
    int rate;
    QString sampleFormat; // what ffmpeg's FLAC encoder is given
};

const Format kFormats[] = {
    {"16-bit", 16, 44100, u"s16"_s},
    {"24-bit", 24, 48000, u"s32"_s},
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// One second of a stereo tone at half of full scale, as FLAC of `format`; empty without ffmpeg.
QByteArray halfScaleTone(const Format &format, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"tone-%1.flac"_s.arg(format.bits));
    const QStringList arguments{u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                u"aevalsrc=exprs='0.5*sin(2*PI*440*t)':s=%1:d=1:c=stereo"_s.arg(format.rate),
                                u"-c:a"_s, u"flac"_s, u"-sample_fmt"_s, format.sampleFormat, path};
    QByteArray ignored;
    if (!runTool(u"ffmpeg"_s, arguments, ignored))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Calls {
    double gain = 1.0;
    int64_t count = 0;
    int64_t lastFrame = -1;
    int64_t frames = 0;
    int rate = 0;
};

double recordedGain(void *context, int64_t frame, int64_t frames, int sampleRate)
{
    auto *calls = static_cast<Calls *>(context);
    ++calls->count;
    calls->lastFrame = frame;
    calls->frames = frames;
    calls->rate = sampleRate;
    return calls->gain;
}

double unityGain(void *, int64_t, int64_t, int)
{
    return 1.0;
}

struct RefusingSink {
    bool refuseRewrites = false; // only writes that go back over what was written
    QByteArray bytes;
};

int writeRefusing(void *context, int64_t offset, const void *data, int64_t count)
{
    auto *sink = static_cast<RefusingSink *>(context);
    if (!sink->refuseRewrites || offset < sink->bytes.size())
        return -1;
    sink->bytes.append(static_cast<const char *>(data), qsizetype(count));
    return 0;
}

} // namespace

// A gain of 3 on a tone at half of full scale: every sample is the source's times 3, rounded,
// and the peaks stop at the largest value the bits hold instead of wrapping to the other sign.
TEST(FlacGain, EachSampleIsScaledRoundedAndClippedAtItsBits)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Format &format : kFormats) {
        SCOPED_TRACE(format.what);
        QByteArray source = halfScaleTone(format, dir);
        if (source.isEmpty())
            GTEST_SKIP() << "ffmpeg cannot run (scripts/install-deps.sh --test)";
        Calls calls{3.0};
        QByteArray output;
        const tunora_flac_gain_job job{byteSource(source), byteSink(output), &calls, recordedGain};
        ASSERT_EQ(flacGainThroughLibav(job), TUNORA_FLAC_GAIN_WRITTEN);

        const QString sourcePath = dir.filePath(u"source.flac"_s);
        const QString outputPath = dir.filePath(u"output.flac"_s);
        ASSERT_TRUE(writeFile(sourcePath, source) && writeFile(outputPath, output));
        EXPECT_EQ(streamFormat(outputPath), streamFormat(sourcePath));
        const std::optional<ExactSamples> before = decodeExactly(sourcePath);
        const std::optional<ExactSamples> after = decodeExactly(outputPath);
        ASSERT_TRUE(before && after);
        EXPECT_EQ(after->messages, QString());
        ASSERT_EQ(after->samples.size(), before->samples.size());

        const int64_t frames = int64_t(before->samples.size()) / before->channels;
        EXPECT_EQ(frames, format.rate);
        EXPECT_EQ(calls.count, frames);
        EXPECT_EQ(calls.lastFrame, frames - 1);
        EXPECT_EQ(calls.frames, frames);
        EXPECT_EQ(calls.rate, format.rate);

        const int shift = 32 - format.bits;
        const double top = double((int64_t(1) << (format.bits - 1)) - 1);
        int64_t wrong = 0;
        int64_t clipped = 0;
        for (size_t i = 0; i < before->samples.size(); ++i) {
            const double expected =
                std::clamp(std::nearbyint(double(before->samples[i] >> shift) * 3.0), -top - 1, top);
            wrong += double(after->samples[i] >> shift) != expected;
            clipped += std::abs(expected) >= top;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(clipped, 0);
    }
}

TEST(FlacGain, AFailedReadOrWriteFailsTheReencode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray source = halfScaleTone(kFormats[0], dir);
    if (source.isEmpty())
        GTEST_SKIP() << "ffmpeg cannot run (scripts/install-deps.sh --test)";
    for (const bool rewrites : {false, true}) {
        SCOPED_TRACE(rewrites ? "the STREAMINFO filled in at the end refused" : "every write refused");
        RefusingSink sink{rewrites, {}};
        const tunora_flac_gain_job job{byteSource(source), {&sink, writeRefusing}, nullptr, unityGain};
        EXPECT_EQ(flacGainThroughLibav(job), TUNORA_FLAC_GAIN_FAILED);
    }
    // Not a whole FLAC file: one cut off inside its first frame.
    QByteArray cutShort = source.left(200);
    QByteArray output;
    const tunora_flac_gain_job job{byteSource(cutShort), byteSink(output), nullptr, unityGain};
    EXPECT_EQ(flacGainThroughLibav(job), TUNORA_FLAC_GAIN_FAILED);
}
