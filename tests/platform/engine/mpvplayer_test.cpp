#include "platform/files/filenames.h"
#include "support/filepaths.h"
#include "platform/engine/mpvplayer.h"

#include "playerevents.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <clocale>
#include <fcntl.h>
#include <unistd.h>

using namespace tunora;
using namespace tunora::test;

namespace {

class MpvPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        m_player = MpvPlayer::create(&error);
        ASSERT_NE(m_player, nullptr) << error.toStdString();
        m_log = std::make_unique<EventLog>(*m_player);
    }

    MpvPlayer &player() { return *m_player; }
    EventLog &log() { return *m_log; }

    std::unique_ptr<MpvPlayer> m_player;
    std::unique_ptr<EventLog> m_log;
};

const QString kOpen1s = QStringLiteral(u"open tone-1s.mp3");
const QString kOpen2s = QStringLiteral(u"open tone-2s.mp3");
const QString kOpenPicture = QStringLiteral(u"open tone-picture.mp3");
const QString kPlaying = QStringLiteral(u"state Playing");
const QString kPaused = QStringLiteral(u"state Paused");
const QString kStopped = QStringLiteral(u"state Stopped");
const QString kTransitioning = QStringLiteral(u"state Transitioning");

} // namespace

TEST_F(MpvPlayerTest, PlaysAnItemWithItsPathDurationAndARunningPosition)
{
    const QString path = fixture(QStringLiteral(u"tone-2s.mp3"));
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), path}));
    EXPECT_EQ(player().volume(), 100);
    EXPECT_LT(player().duration(), 0);
    EXPECT_TRUE(player().currentSource().text().isEmpty());

    player().playItem(1);
    ASSERT_TRUE(log().waitFor(kPlaying)) << log().text();
    EXPECT_EQ(log().events(), QStringList({kOpen2s, kPlaying}));
    EXPECT_EQ(player().currentSource().text(), path);
    EXPECT_EQ(player().playState(), PlayState::Playing);
    EXPECT_NEAR(player().duration(), 2.0, 0.1);

    ASSERT_TRUE(QTest::qWaitFor([&] { return player().currentPosition() > 0.3; }, kTimeoutMs));
    // Without the event loop no new reading from the engine arrives, so the rise between
    // the two reads is the clock's own.
    const double before = player().currentPosition();
    QThread::msleep(20);
    const double after = player().currentPosition();
    EXPECT_GT(after - before, 0.015);
    EXPECT_LT(after - before, 0.1);
}

TEST_F(MpvPlayerTest, AnItemThatEndsByItselfIsFollowedByTheNextAndTheLastByTheFirst)
{
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), fixture(QStringLiteral(u"tone-picture.mp3"))}));
    player().playItem(1);
    ASSERT_TRUE(log().waitFor(kOpenPicture, 2)) << log().text();
    ASSERT_TRUE(log().waitFor(kPlaying, 3)) << log().text();
    player().stop();
    EXPECT_EQ(log().events(), QStringList({kOpenPicture, kPlaying, kTransitioning, kOpen1s, kPlaying,
                                           kTransitioning, kOpenPicture, kPlaying}));
}

TEST_F(MpvPlayerTest, ASongPickedWhileTransitioningReplacesThePlayersOwnChoice)
{
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), fixture(QStringLiteral(u"tone-2s.mp3")),
                          fixture(QStringLiteral(u"tone-picture.mp3"))}));
    QObject context;
    QObject::connect(&player(), &MediaPlayer::playStateChanged, &context, [this](PlayState state) {
        if (state == PlayState::Transitioning)
            player().playItem(2); // as the random advance does
    });
    player().playItem(0);
    ASSERT_TRUE(log().waitFor(kPlaying, 2)) << log().text();
    QTest::qWait(200);
    player().stop();
    EXPECT_EQ(log().events(), QStringList({kOpen1s, kPlaying, kTransitioning, kOpenPicture, kPlaying}));
}

TEST_F(MpvPlayerTest, SwitchesTheProgramAsksForNeverReportTransitioning)
{
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), fixture(QStringLiteral(u"tone-2s.mp3")),
                          fixture(QStringLiteral(u"tone-picture.mp3"))}));
    player().playItem(2);
    ASSERT_TRUE(log().waitFor(kPlaying, 1)) << log().text();
    player().next(); // after the last comes the first
    ASSERT_TRUE(log().waitFor(kPlaying, 2)) << log().text();
    player().previous();
    ASSERT_TRUE(log().waitFor(kPlaying, 3)) << log().text();
    player().previous();
    ASSERT_TRUE(log().waitFor(kPlaying, 4)) << log().text();
    player().stop();
    ASSERT_TRUE(log().waitFor(kStopped)) << log().text();
    EXPECT_EQ(log().events(), QStringList({kOpenPicture, kPlaying, kOpen1s, kPlaying, kOpenPicture, kPlaying,
                                           kOpen2s, kPlaying, kStopped}));
}

TEST_F(MpvPlayerTest, APositionWrittenBeforeTheMediaOpensIsWhereItStarts)
{
    enum class When { RightAfterPlayItem, WhileLoading };
    for (When when : {When::RightAfterPlayItem, When::WhileLoading}) {
        SCOPED_TRACE(int(when));
        log().clear();
        player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-2s.mp3"))}));
        player().playItem(0);
        if (when == When::WhileLoading)
            QCoreApplication::processEvents(); // hands the file to the engine
        player().setCurrentPosition(1.5);
        EXPECT_DOUBLE_EQ(player().currentPosition(), 1.5);
        ASSERT_TRUE(log().waitFor(kPlaying)) << log().text();
        QElapsedTimer playing;
        playing.start();
        QTest::qWait(100);
        EXPECT_GE(player().currentPosition(), 1.5);
        EXPECT_LT(player().currentPosition(), 1.9);
        ASSERT_TRUE(log().waitFor(kTransitioning)) << log().text();
        EXPECT_LT(playing.elapsed(), 1300) << "about half a second was left, not two";
        player().stop();
    }
}

TEST_F(MpvPlayerTest, SeekPauseAndPlayWhileOpen)
{
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-2s.mp3"))}));
    player().playItem(0);
    ASSERT_TRUE(log().waitFor(kPlaying)) << log().text();
    player().setCurrentPosition(1.2);
    EXPECT_DOUBLE_EQ(player().currentPosition(), 1.2);
    QTest::qWait(100);
    EXPECT_GE(player().currentPosition(), 1.2);
    EXPECT_LT(player().currentPosition(), 1.6);

    player().pause();
    EXPECT_EQ(player().playState(), PlayState::Paused);
    EXPECT_EQ(log().count(kPaused), 0) << "reported later, not inside the call";
    ASSERT_TRUE(log().waitFor(kPaused)) << log().text();
    const double paused = player().currentPosition();
    QTest::qWait(300);
    EXPECT_NEAR(player().currentPosition(), paused, 0.05);

    player().setCurrentPosition(-3);
    QTest::qWait(100);
    EXPECT_NEAR(player().currentPosition(), 0.0, 0.02) << "a negative position means the start";

    player().play();
    ASSERT_TRUE(log().waitFor(kPlaying, 2)) << log().text();
    QTest::qWait(200);
    EXPECT_GT(player().currentPosition(), 0.1);
    EXPECT_LT(player().currentPosition(), 0.8);
}

TEST_F(MpvPlayerTest, StopKeepsTheMediaAtPositionZeroAndLetsNothingAdvance)
{
    const QString path = fixture(QStringLiteral(u"tone-1s.mp3"));
    player().setPlaylist(filePaths({path, fixture(QStringLiteral(u"tone-2s.mp3"))}));
    player().playItem(0);
    ASSERT_TRUE(log().waitFor(kPlaying)) << log().text();
    QTest::qWait(200);
    player().stop();
    EXPECT_EQ(player().playState(), PlayState::Stopped);
    EXPECT_DOUBLE_EQ(player().currentPosition(), 0.0);
    ASSERT_TRUE(log().waitFor(kStopped)) << log().text();
    QTest::qWait(1500); // longer than the rest of the song
    EXPECT_EQ(log().events(), QStringList({kOpen1s, kPlaying, kStopped}));
    EXPECT_EQ(player().currentSource().text(), path);

    player().play(); // again from the start
    ASSERT_TRUE(log().waitFor(kPlaying, 2)) << log().text();
    EXPECT_EQ(player().currentSource().text(), path);
    EXPECT_LT(player().currentPosition(), 0.5);
}

// Files that are no songs: a broken download, the "._" file macOS leaves beside each song.
class UnplayableFiles : public MpvPlayerTest {
protected:
    QString add(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            ADD_FAILURE() << "cannot write " << name.toStdString();
        return path;
    }
    QString broken() { return add(QStringLiteral(u"broken.mp3"), "this is no audio"); }
    QString appleDouble() { return add(QStringLiteral(u"._a.mp3"), QByteArray("\0\5\26\7\0\2\0\0Mac OS X", 16)); }

    QTemporaryDir m_dir;
};

TEST_F(UnplayableFiles, AreSaidAndPassedOverAsAFinishedSongIs)
{
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), broken(), appleDouble(),
                          fixture(QStringLiteral(u"tone-picture.mp3"))}));
    player().playItem(0);
    ASSERT_TRUE(log().waitFor(kOpenPicture)) << log().text();
    ASSERT_TRUE(log().waitFor(kPlaying, 2)) << log().text();
    player().stop();
    EXPECT_EQ(log().events(), QStringList({kOpen1s, kPlaying, kTransitioning, QStringLiteral(u"failed broken.mp3"),
                                           kTransitioning, QStringLiteral(u"failed ._a.mp3"), kTransitioning,
                                           kOpenPicture, kPlaying}));
}

// The random advance picks on Transitioning; after a failed pick it is asked again.
TEST_F(UnplayableFiles, APickThatFailsIsFollowedByAnotherPick)
{
    player().setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), broken(), fixture(QStringLiteral(u"tone-2s.mp3"))}));
    QList<int> picks = {1, 2};
    QObject context;
    QObject::connect(&player(), &MediaPlayer::playStateChanged, &context, [&](PlayState state) {
        if (state == PlayState::Transitioning && !picks.isEmpty())
            player().playItem(picks.takeFirst());
    });
    player().playItem(0);
    ASSERT_TRUE(log().waitFor(kOpen2s)) << log().text();
    ASSERT_TRUE(log().waitFor(kPlaying, 2)) << log().text();
    player().stop();
    EXPECT_EQ(log().events(), QStringList({kOpen1s, kPlaying, kTransitioning, QStringLiteral(u"failed broken.mp3"),
                                           kTransitioning, kOpen2s, kPlaying}));
}

// A folder of nothing but such files: one round, then the player stops and stays stopped.
TEST_F(UnplayableFiles, WhenNothingPlaysThePlayerStopsAfterOneRound)
{
    const QStringList bad = {broken(), appleDouble(), add(QStringLiteral(u"empty.mp3"), {})};
    struct Case {
        const char *what;
        QList<int> picks; // the random advance's picks, none in loop mode
        int tries;
    };
    const Case cases[] = {
        {"loop", {}, 3},
        // A pick of a file that failed before counts, but only every file failed ends it.
        {"random", {0, 0, 2, 1, 1}, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        log().clear();
        player().setPlaylist(filePaths(bad));
        QList<int> picks = c.picks;
        QObject context;
        QObject::connect(&player(), &MediaPlayer::playStateChanged, &context, [&](PlayState state) {
            if (state == PlayState::Transitioning && !picks.isEmpty())
                player().playItem(picks.takeFirst());
        });
        player().playItem(1);
        ASSERT_TRUE(log().waitFor(kStopped)) << log().text();
        QTest::qWait(500);
        EXPECT_EQ(log().count(kStopped), 1) << log().text();
        // Every try but the last ends in a move on.
        EXPECT_EQ(log().count(kTransitioning), c.tries - 1) << log().text();
        EXPECT_EQ(log().events().filter(QStringLiteral(u"failed ")).size(), c.tries) << log().text();
        EXPECT_EQ(log().events().last(), kStopped);
        EXPECT_EQ(player().playState(), PlayState::Stopped);
    }
}

TEST_F(MpvPlayerTest, PlaysAFileWhoseNameIsNotUtf8)
{
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/\xb8\xe8\xc7\xfa.mp3"; // GBK 歌曲
    QFile source(fixture(QStringLiteral(u"tone-1s.mp3")));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray audio = source.readAll();
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, audio.constData(), size_t(audio.size())), audio.size());
    ::close(fd);
    // QTemporaryDir cannot remove a name that is not UTF-8.
    const auto removeFile = qScopeGuard([&] { ::unlink(name.constData()); });

    const QString path = decodeFileName(name);
    player().setPlaylist(filePaths({path}));
    player().playItem(0);
    ASSERT_TRUE(log().waitFor(kPlaying)) << log().text();
    EXPECT_EQ(player().currentSource().text(), path);
    EXPECT_NEAR(player().duration(), 1.0, 0.1);
}

TEST(MpvPlayerCreate, RefusesToStartUnderAnotherNumericLocale)
{
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C.UTF-8"), nullptr);
    QString error;
    const auto player = MpvPlayer::create(&error);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(player, nullptr);
    EXPECT_FALSE(error.isEmpty());
}
