#pragma once

#include "cutting/decodedaudio.h"
#include "cutting/madesongs.h"

#include "overview/songoverview.h"
#include "platform/files/filepath.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

// Songs quiet for their first third, loud in their middle third (a swelling tone, so the
// envelope has a shape to follow) and quiet again, made by ffmpeg in each format.
namespace tunora::testing {

constexpr double kLoudSongSeconds = 30;
constexpr double kLoudFrom = 10;
constexpr double kLoudTo = 20;
inline const QString kLoudMiddle =
    QStringLiteral("if(between(t,10,20),0.2+0.5*abs(sin(PI*t/4)),0.03)*sin(2*PI*440*t)");

inline QString loudSongName(const SongFormat &format)
{
    return QStringLiteral("loud-middle.") + QLatin1String(format.extension);
}

// The RMS per column of what ffmpeg decodes, the envelope an overview must follow.
inline std::vector<float> decodedColumns(const DecodedAudio &audio, double seconds, int count)
{
    std::vector<float> columns(size_t(count), 0.0f);
    for (int c = 0; c < count; ++c) {
        const auto from = size_t(c * seconds / count * DecodedAudio::kRate);
        const auto to = std::min(audio.samples.size(), size_t((c + 1) * seconds / count * DecodedAudio::kRate));
        double squares = 0;
        for (size_t i = from; i < to; ++i)
            squares += double(audio.samples[i]) * audio.samples[i] / (32768.0 * 32768.0);
        columns[size_t(c)] = to > from ? float(std::sqrt(squares / double(to - from))) : 0.0f;
    }
    return columns;
}

inline double correlation(const std::vector<float> &a, const std::vector<float> &b)
{
    const size_t n = std::min(a.size(), b.size());
    double ma = 0, mb = 0;
    for (size_t i = 0; i < n; ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= double(n);
    mb /= double(n);
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < n; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

// The first and last column above `level`; -1 for none.
inline std::pair<int, int> loudColumns(const std::vector<float> &columns, float level)
{
    int first = -1, last = -1;
    for (int c = 0; c < int(columns.size()); ++c) {
        if (columns[size_t(c)] > level) {
            if (first < 0)
                first = c;
            last = c;
        }
    }
    return {first, last};
}

// The columns above `level` are the loud middle's, within a column at either end.
inline void expectLoudMiddle(const std::vector<float> &columns, float level)
{
    const auto [first, last] = loudColumns(columns, level);
    const double perSecond = double(columns.size()) / kLoudSongSeconds;
    EXPECT_NEAR(first, kLoudFrom * perSecond, 1.0);
    EXPECT_NEAR(last + 1, kLoudTo * perSecond, 1.0);
}

// A test suite over the loud-middle songs, made once in every format for the whole suite.
class LoudSongsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_songs = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_songs->isValid());
        for (const SongFormat &format : kSongFormats) {
            QString error;
            ASSERT_TRUE(makeSong(s_songs->filePath(loudSongName(format)), format, kLoudMiddle, kLoudSongSeconds, &error))
                << format.extension << " needs ffmpeg (scripts/install-deps.sh --test): " << error.toStdString();
        }
    }
    static void TearDownTestSuite() { s_songs.reset(); }
    static FilePath loudSong(const SongFormat &format) { return FilePath(s_songs->filePath(loudSongName(format))); }

    static inline std::unique_ptr<QTemporaryDir> s_songs;
};

} // namespace tunora::testing
