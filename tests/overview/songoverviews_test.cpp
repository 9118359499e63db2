// The overviews kept for the run: a song change while one is read drops it, a song played
// again is shown at once, and one changed on disk is read again.
#include "overview/loudsongs.h"

#include "cutting/songfiles.h"
#include "overview/songoverviews.h"
#include "platform/files/filepath.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace tunora;
using namespace tunora::testing;

namespace {

using Shown = std::shared_ptr<const SongOverview>;

class SongOverviewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // A long song, so it is still being read when the next one opens, and a short one.
        QString error;
        ASSERT_TRUE(makeSong(path("long.flac"), kSongFormats[3], kLoudMiddle, 240, &error)) << error.toStdString();
        ASSERT_TRUE(makeSong(path("short.wav"), kSongFormats[1], QStringLiteral("0.5*sin(2*PI*440*t)"), 2, &error))
            << error.toStdString();
        QObject::connect(&m_overviews, &SongOverviews::shown, [this](Shown overview) { m_shown.push_back(overview); });
    }

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    // Waits until a decoded overview is shown, or a while.
    bool waitForOverview()
    {
        return QTest::qWaitFor([this] { return !m_shown.empty() && m_shown.back() && !m_shown.back()->estimate; },
                               30'000);
    }
    // Waits until a first estimate is shown, or a while.
    bool waitForEstimate()
    {
        return QTest::qWaitFor([this] { return !m_shown.empty() && m_shown.back() && m_shown.back()->estimate; },
                               30'000);
    }

    QTemporaryDir m_dir;
    SongOverviews m_overviews;
    std::vector<Shown> m_shown;
};

} // namespace

TEST_F(SongOverviewsTest, AnEstimateComesFirstAndASongChangeDropsTheEarlierSongsOverview)
{
    // Changed at once: not even the long song's estimate is shown.
    m_overviews.show(FilePath(path("long.flac")), 240);
    m_overviews.show(FilePath(path("short.wav")), 2);
    ASSERT_TRUE(waitForOverview());
    // Changed once the long song's estimate is drawn, while its decoding goes on.
    m_overviews.show(FilePath(path("long.flac")), 240);
    ASSERT_TRUE(waitForEstimate());
    EXPECT_NEAR(m_shown.back()->seconds(), 240, 0.1);
    const size_t switched = m_shown.size();
    m_overviews.showNone();
    m_overviews.show(FilePath(path("short.wav")), 2); // kept: shown within the call
    // The long song, stopped, never comes; given time, it still does not.
    QTest::qWait(1500);

    ASSERT_GE(m_shown.size(), 4u);
    EXPECT_EQ(m_shown[0], nullptr);
    EXPECT_EQ(m_shown[1], nullptr);
    EXPECT_TRUE(m_shown[2] && m_shown[2]->estimate) << "the short song's estimate first";
    for (size_t i = 2; i < switched - 2; ++i)
        EXPECT_NEAR(m_shown[i]->seconds(), 2.0, 0.06) << i;
    ASSERT_EQ(m_shown.size(), switched + 2);
    EXPECT_EQ(m_shown[switched], nullptr);
    EXPECT_FALSE(m_shown.back()->estimate);
    EXPECT_NEAR(m_shown.back()->seconds(), 2.0, 0.06);
}

TEST_F(SongOverviewsTest, NoSongWhileReadingDropsItToo)
{
    m_overviews.show(FilePath(path("short.wav")), 2);
    m_overviews.showNone();
    QTest::qWait(500);
    for (const Shown &shown : m_shown)
        EXPECT_EQ(shown, nullptr);
}

TEST_F(SongOverviewsTest, ASongPlayedAgainIsShownAtOnceUntilItChangesOnDisk)
{
    m_overviews.show(FilePath(path("short.wav")), 2);
    ASSERT_TRUE(waitForOverview());
    const Shown first = m_shown.back();

    m_overviews.showNone();
    m_overviews.show(FilePath(path("short.wav")), 2);
    EXPECT_EQ(m_shown.back(), first) << "kept: shown within the call";

    // Rewritten as a 3-second song: another size and time, read again.
    QString error;
    ASSERT_TRUE(makeSong(path("short.wav"), kSongFormats[1], QStringLiteral("0.5*sin(2*PI*440*t)"), 3, &error));
    m_overviews.showNone();
    m_overviews.show(FilePath(path("short.wav")), 3);
    EXPECT_EQ(m_shown.back(), nullptr);
    ASSERT_TRUE(waitForOverview());
    EXPECT_NEAR(m_shown.back()->seconds(), 3.0, 0.06);
}

TEST_F(SongOverviewsTest, ASongThatCannotBeDecodedStaysWithoutOverview)
{
    writeBytes(path("damaged.m4a"), patternBytes(100'000));
    m_overviews.show(FilePath(path("damaged.m4a")), 0);
    m_overviews.show(FilePath(path("missing.mp3")), 0);
    QTest::qWait(500);
    ASSERT_FALSE(m_shown.empty());
    for (const Shown &shown : m_shown)
        EXPECT_EQ(shown, nullptr);
}
