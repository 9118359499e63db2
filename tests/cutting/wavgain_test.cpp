#include "cutting/byteorder.h"
#include "cutting/wavgain.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace tunora;

namespace {

// A mono WAV file of `bits`-bit samples (8: unsigned; 32 with isFloat: float) holding `values`,
// each a fraction of full scale.
QByteArray wavOf(int bits, bool isFloat, const std::vector<double> &values)
{
    const int bytes = bits / 8;
    QByteArray data;
    for (const double v : values) {
        if (isFloat) {
            const float f = float(v);
            data.append(reinterpret_cast<const char *>(&f), 4);
        } else if (bits == 8) {
            data.append(char(qBound(0, int(std::lround(v * 128)) + 128, 255)));
        } else {
            const double top = double((qint64(1) << (bits - 1)) - 1);
            appendLittleEndian(data, quint64(qint64(std::lround(qBound(-top - 1, v * (top + 1), top)))), bytes);
        }
    }
    QByteArray file("RIFF");
    appendLittleEndian(file, quint64(4 + 24 + 8 + data.size()), 4);
    file += "WAVEfmt ";
    appendLittleEndian(file, 16, 4);
    appendLittleEndian(file, isFloat ? 3 : 1, 2);
    appendLittleEndian(file, 1, 2);
    appendLittleEndian(file, 8000, 4);
    appendLittleEndian(file, quint64(8000 * bytes), 4);
    appendLittleEndian(file, quint64(bytes), 2);
    appendLittleEndian(file, quint64(bits), 2);
    file += "data";
    appendLittleEndian(file, quint64(data.size()), 4);
    file.append(data);
    return file;
}

qint64 sampleAt(const QByteArray &file, int bits, int index)
{
    const int bytes = bits / 8;
    const auto *p = reinterpret_cast<const unsigned char *>(file.constData()) + 44 + index * bytes;
    if (bits == 8)
        return qint64(p[0]) - 128;
    const int shift = 64 - bits;
    return qint64(littleEndian(p, bytes) << shift) >> shift;
}

// Louder by 6.02 dB (twice) and softer by as much (half), with no fade: each sample doubled or
// halved to the nearest value, stopped at the format's limits rather than wrapped round.
TEST(WavGain, SamplesAreScaledRoundedAndClippedInEveryIntegerWidth)
{
    const double twice = 20 * std::log10(2.0);
    const std::vector<double> values{0.0, 0.3, -0.3, 0.9, -0.9, -1.0};
    for (const int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const QByteArray source = wavOf(bits, false, values);
        const qint64 top = (qint64(1) << (bits - 1)) - 1;
        QByteArray louder = source;
        ASSERT_TRUE(applyWavGains(louder, RingtoneEffects{}, twice));
        QByteArray softer = source;
        ASSERT_TRUE(applyWavGains(softer, RingtoneEffects{}, -twice));
        EXPECT_EQ(louder.left(44), source.left(44));
        for (int i = 0; i < int(values.size()); ++i) {
            SCOPED_TRACE(i);
            const qint64 original = sampleAt(source, bits, i);
            EXPECT_EQ(sampleAt(louder, bits, i), qBound(-top - 1, original * 2, top));
            EXPECT_NEAR(double(sampleAt(softer, bits, i)), original / 2.0, 0.5 + 1e-9);
        }
    }
}

TEST(WavGain, FloatSamplesScaleAndThePeakIsFound)
{
    QByteArray file = wavOf(32, true, {0.25, -0.5, 0.1});
    ASSERT_TRUE(wavPeakDb(file));
    EXPECT_NEAR(*wavPeakDb(file), 20 * std::log10(0.5), 1e-6);
    ASSERT_TRUE(applyWavGains(file, RingtoneEffects{}, 20 * std::log10(1.5)));
    EXPECT_NEAR(*wavPeakDb(file), 20 * std::log10(0.75), 1e-5);
    EXPECT_FALSE(wavPeakDb(wavOf(16, false, {0.0, 0.0})).has_value()) << "silence has no peak";
}

TEST(WavGain, FilesItCannotScaleAreLeftAlone)
{
    QByteArray alaw = wavOf(16, false, {0.5});
    alaw[20] = 6; // A-law
    QByteArray notWav = wavOf(16, false, {0.5});
    notWav.replace(0, 4, "RIFX");
    for (QByteArray file : {alaw, notWav, QByteArray("RIFF"), QByteArray()}) {
        const QByteArray before = file;
        EXPECT_FALSE(applyWavGains(file, RingtoneEffects{}, 6.0));
        EXPECT_EQ(file, before);
    }
}

} // namespace
