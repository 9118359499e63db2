// The first estimate of the loud-middle songs in the six formats: close enough to the decoded
// sound to show where the loud part is, and marked as an estimate.
#include "overview/loudsongs.h"

#include "cutting/songfiles.h"
#include "overview/overviewestimate.h"
#include "overview/overviewreading.h"
#include "platform/files/filepath.h"

#include <algorithm>
#include <cstdio>

using namespace tunora;
using namespace tunora::testing;

namespace {

constexpr int kColumns = 60; // 0.5 s each

std::vector<float> againstLoudest(std::vector<float> columns)
{
    const float loudest = *std::max_element(columns.begin(), columns.end());
    for (float &c : columns)
        c = loudest > 0 ? c / loudest : 0.0f;
    return columns;
}

using OverviewEstimate = LoudSongsTest;

} // namespace

TEST_F(OverviewEstimate, ShowsWhereTheDecodedSoundIsLoud)
{
    const std::atomic<bool> running{false};
    for (const SongFormat &format : kSongFormats) {
        SCOPED_TRACE(format.extension);
        const std::optional<SongOverview> decoded = readOverview(loudSong(format), kLoudSongSeconds, running);
        // Time for every look, so that a busy machine does not change the figures.
        const std::optional<SongOverview> estimate =
            estimateOverview(loudSong(format), kLoudSongSeconds, running, std::chrono::minutes(1));
        ASSERT_TRUE(decoded);
        ASSERT_TRUE(estimate);
        EXPECT_TRUE(estimate->estimate);
        EXPECT_NEAR(estimate->seconds(), kLoudSongSeconds, 0.2);
        // The strip draws each overview against its loudest column: so is it compared.
        const std::vector<float> columns = againstLoudest(overviewColumns(*estimate, kLoudSongSeconds, kColumns));
        const double r = correlation(columns, overviewColumns(*decoded, kLoudSongSeconds, kColumns));
        std::printf("%s: estimate against the decoded envelope, correlation %.3f\n", format.extension, r);
        EXPECT_GE(r, 0.9); // 0.98 to 0.997 measured
        // The loud middle drawn loud, and nothing else: the quiet thirds are a tenth of its
        // loudest (0.7 against 0.03 at the source), its least loud a third.
        expectLoudMiddle(columns, 0.15f);
    }
}

TEST_F(OverviewEstimate, NothingForASongThatCannotBeReadOrOnceStopped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::atomic<bool> running{false};
    const std::atomic<bool> stopped{true};
    for (const char *name : {"damaged.mp3", "damaged.m4a"}) {
        SCOPED_TRACE(name);
        writeBytes(dir.filePath(QLatin1String(name)), patternBytes(200'000));
        EXPECT_FALSE(estimateOverview(FilePath(dir.filePath(QLatin1String(name))), 30, running));
    }
    EXPECT_FALSE(estimateOverview(FilePath(dir.filePath(QStringLiteral("missing.mp3"))), 30, running));
    for (const SongFormat &format : {kSongFormats[0], kSongFormats[3]})
        EXPECT_FALSE(estimateOverview(loudSong(format), kLoudSongSeconds, stopped))
            << format.extension;
}

TEST_F(OverviewEstimate, WithTimeForOneLookTheWholeSongIsStillDrawn)
{
    const std::atomic<bool> running{false};
    for (const SongFormat &format : {kSongFormats[2], kSongFormats[3], kSongFormats[5]}) {
        SCOPED_TRACE(format.extension);
        const std::optional<SongOverview> estimate = estimateOverview(loudSong(format), kLoudSongSeconds, running, std::chrono::milliseconds(0));
        ASSERT_TRUE(estimate);
        EXPECT_NEAR(estimate->seconds(), kLoudSongSeconds, 0.2);
        // The first look or two (at the start, then the loud middle) stand for the rest.
        const std::vector<float> columns = overviewColumns(*estimate, kLoudSongSeconds, kColumns);
        EXPECT_TRUE(std::all_of(columns.begin(), columns.end(), [](float c) { return c > 0; }));
    }
}
