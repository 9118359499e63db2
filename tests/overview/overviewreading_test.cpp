// The overview of songs ffmpeg makes, quiet, loud in the middle, quiet, in the six formats:
// it follows the decoded sound, read in one stretch or in two side by side.
#include "overview/loudsongs.h"

#include "cutting/songfiles.h"
#include "cutting/streamdecode.h"
#include "overview/loudnessenvelope.h"
#include "overview/overviewreading.h"
#include "platform/files/filepath.h"

using namespace tunora;
using namespace tunora::testing;

namespace {

constexpr int kColumns = 120; // 0.25 s each

using OverviewReading = LoudSongsTest;

} // namespace

TEST_F(OverviewReading, FollowsTheDecodedSoundAndFindsTheLoudSeconds)
{
    const std::atomic<bool> running{false};
    for (const SongFormat &format : kSongFormats) {
        const std::optional<DecodedAudio> reference = decodeWithFfmpeg(loudSong(format).text());
        ASSERT_TRUE(reference);
        const std::vector<float> expected = decodedColumns(*reference, kLoudSongSeconds, kColumns);
        // Unknown length: one stretch; known: two halves decoded side by side.
        for (const double knownSeconds : {0.0, kLoudSongSeconds}) {
            SCOPED_TRACE(std::string(format.extension) + (knownSeconds > 0 ? " in two halves" : " in one stretch"));
            const std::optional<SongOverview> overview = readOverview(loudSong(format), knownSeconds, running);
            ASSERT_TRUE(overview);
            EXPECT_FALSE(overview->estimate);
            EXPECT_NEAR(overview->seconds(), kLoudSongSeconds, 0.2);
            const std::vector<float> columns = overviewColumns(*overview, kLoudSongSeconds, kColumns);
            EXPECT_GE(correlation(columns, expected), 0.95);
            // Halfway between the quiet RMS (0.02) and the loud one's least (0.14).
            expectLoudMiddle(columns, 0.07f);
        }
    }
}

TEST_F(OverviewReading, NothingForASongThatCannotBeDecodedOrOnceStopped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::atomic<bool> running{false};
    const std::atomic<bool> stopped{true};
    writeBytes(dir.filePath(QStringLiteral("damaged.mp3")), patternBytes(200'000));
    EXPECT_FALSE(readOverview(FilePath(dir.filePath(QStringLiteral("damaged.mp3"))), 0, running));
    EXPECT_FALSE(readOverview(FilePath(dir.filePath(QStringLiteral("missing.mp3"))), 0, running));
    EXPECT_FALSE(readOverview(loudSong(kSongFormats[0]), 0, stopped));
}

TEST(OverviewColumns, EachColumnIsTheRmsOfItsStretch)
{
    SongOverview overview;
    overview.levels = {0.0f, 0.0f, 0.3f, 0.4f, 1.0f, 1.0f}; // 0.3 s
    struct Case {
        const char *what;
        double songSeconds;
        int count;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"two blocks a column", 0.3, 3, {0.0f, 0.35355f, 1.0f}},
        {"the song's own length", 0, 3, {0.0f, 0.35355f, 1.0f}},
        {"a column a block", 0.3, 6, {0.0f, 0.0f, 0.3f, 0.4f, 1.0f, 1.0f}},
        {"the player's longer length: silence past the overview", 0.6, 3, {0.25f, 1.0f, 0.0f}},
        {"more columns than blocks", 0.1, 4, {0.0f, 0.0f, 0.0f, 0.0f}},
        {"no columns", 0.3, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<float> columns = overviewColumns(overview, c.songSeconds, c.count);
        ASSERT_EQ(columns.size(), c.expected.size());
        for (size_t i = 0; i < columns.size(); ++i)
            EXPECT_NEAR(columns[i], c.expected[i], 1e-3) << i;
    }
}

TEST(LoudnessEnvelope, PiecesFallIntoBlocksByTheirOwnTime)
{
    // 0.1 s of full-scale stereo square wave at 1 kHz, given in two orders and as two envelopes.
    std::vector<float> loud(200, 1.0f);
    for (size_t i = 0; i < loud.size(); i += 4)
        loud[i] = loud[i + 1] = -1.0f;
    const DecodedSamples second{0.15, loud.data(), 100, 2, 1000};
    const DecodedSamples first{0.05, loud.data(), 100, 2, 1000};
    LoudnessEnvelope inOrder;
    inOrder.add(first);
    inOrder.add(second);
    LoudnessEnvelope reversed;
    reversed.add(second);
    LoudnessEnvelope other;
    other.add(first);
    reversed.merge(other);
    for (const LoudnessEnvelope *e : {&inOrder, &reversed}) {
        const SongOverview overview = e->overview();
        ASSERT_EQ(overview.levels.size(), 5u);
        EXPECT_FLOAT_EQ(overview.levels[0], 0.0f);
        for (size_t b = 1; b < 5; ++b)
            EXPECT_FLOAT_EQ(overview.levels[b], 1.0f) << b;
    }
    // Opposite channels cancel in the mix; a piece at a time no song has is damage.
    std::vector<float> opposite{1.0f, -1.0f, 1.0f, -1.0f};
    LoudnessEnvelope silent;
    silent.add({0, opposite.data(), 2, 2, 1000});
    silent.add({1e12, loud.data(), 100, 2, 1000});
    silent.add({NAN, loud.data(), 100, 2, 1000});
    ASSERT_EQ(silent.overview().levels.size(), 1u);
    EXPECT_FLOAT_EQ(silent.overview().levels[0], 0.0f);
}
