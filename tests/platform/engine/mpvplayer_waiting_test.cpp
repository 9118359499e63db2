// The player before its engine has come up, as the program starts: what it is told meanwhile
// is kept and applied when the engine arrives.
#include "platform/engine/mpvhandle.h"
#include "support/filepaths.h"
#include "platform/engine/mpvplayer.h"

#include "playerevents.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::test;

namespace {

const QString kPlaying = QStringLiteral(u"state Playing");
const QString kPaused = QStringLiteral(u"state Paused");
const QString kStopped = QStringLiteral(u"state Stopped");

std::unique_ptr<MpvHandle> openEngine()
{
    QString error;
    std::unique_ptr<MpvHandle> handle = MpvHandle::open(&error);
    EXPECT_NE(handle, nullptr) << error.toStdString();
    return handle;
}

// What the engine itself holds, read past the player.
double engineDouble(const MpvHandle &engine, const char *property)
{
    double value = -1;
    engine.api().getProperty(engine.get(), property, MPV_FORMAT_DOUBLE, &value);
    return value;
}

bool engineFlag(const MpvHandle &engine, const char *property)
{
    int flag = -1;
    engine.api().getProperty(engine.get(), property, MPV_FORMAT_FLAG, &flag);
    return flag == 1;
}

} // namespace

TEST(MpvPlayerBeforeItsEngine, WhatItIsToldMeanwhileIsWhatTheEngineDoes)
{
    MpvPlayer player;
    EventLog log(player);
    const QString song = fixture(QStringLiteral(u"tone-2s.mp3"));
    player.setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), song}));
    player.setVolume(40);
    player.setMuted(true);
    player.playItem(1);
    player.setCurrentPosition(1.0);
    player.pause();
    QCoreApplication::processEvents();

    EXPECT_FALSE(player.hasEngine());
    EXPECT_EQ(player.playState(), PlayState::Paused);
    EXPECT_EQ(player.currentSource().text(), song);
    EXPECT_DOUBLE_EQ(player.currentPosition(), 1.0);
    EXPECT_LT(player.duration(), 0);
    EXPECT_EQ(log.events(), QStringList({kPaused}));

    std::unique_ptr<MpvHandle> handle = openEngine();
    ASSERT_NE(handle, nullptr);
    const MpvHandle &engine = *handle;
    player.attach(std::move(handle));
    ASSERT_TRUE(log.waitFor(kPaused, 2)) << log.text();
    EXPECT_EQ(log.events(), QStringList({kPaused, QStringLiteral(u"open tone-2s.mp3"), kPaused}));
    EXPECT_TRUE(engineFlag(engine, "pause"));
    EXPECT_TRUE(engineFlag(engine, "mute"));
    EXPECT_DOUBLE_EQ(engineDouble(engine, "volume"), 40.0);
    EXPECT_NEAR(player.duration(), 2.0, 0.1);
    QTest::qWait(300);
    EXPECT_NEAR(player.currentPosition(), 1.0, 0.05) << "opened at the start asked for, and paused";

    player.play();
    ASSERT_TRUE(log.waitFor(kPlaying)) << log.text();
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.currentPosition() > 1.2; }, kTimeoutMs));
    player.stop();
}

TEST(MpvPlayerBeforeItsEngine, ASongAskedForCountsAsPlayingAndTogglesWithPause)
{
    MpvPlayer player;
    EventLog log(player);
    player.play(); // nothing to play yet
    EXPECT_EQ(player.playState(), PlayState::Undefined);

    player.setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3"))}));
    player.next();
    // The window's toggle asks the state: a song asked for is playing, so it pauses.
    EXPECT_EQ(player.playState(), PlayState::Playing);
    player.pause();
    EXPECT_EQ(player.playState(), PlayState::Paused);
    EXPECT_TRUE(log.events().isEmpty()) << "reported later, not inside the call";
    player.play();
    EXPECT_EQ(player.playState(), PlayState::Playing);
    player.stop();
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.events(), QStringList({kPaused, kPlaying, kStopped}));

    // Stopped before the engine came: nothing opens when it does.
    std::unique_ptr<MpvHandle> handle = openEngine();
    ASSERT_NE(handle, nullptr);
    player.attach(std::move(handle));
    QTest::qWait(500);
    EXPECT_EQ(log.events(), QStringList({kPaused, kPlaying, kStopped}));
    EXPECT_EQ(player.playState(), PlayState::Stopped);
}

TEST(MpvPlayerBeforeItsEngine, TheSongAskedForIsTheOneThatOpensWhateverThePlaylistBecameSince)
{
    // A scan's playlist, a double-click on entry 1, then a rescan with another playlist: the
    // engine must play the song the user saw and picked.
    MpvPlayer player;
    EventLog log(player);
    player.setPlaylist(filePaths({fixture(QStringLiteral(u"tone-1s.mp3")), fixture(QStringLiteral(u"tone-2s.mp3"))}));
    player.playItem(1);
    player.setPlaylist(filePaths({fixture(QStringLiteral(u"tone-picture.mp3")), fixture(QStringLiteral(u"tone-1s.mp3"))}));

    std::unique_ptr<MpvHandle> handle = openEngine();
    ASSERT_NE(handle, nullptr);
    player.attach(std::move(handle));
    ASSERT_TRUE(log.waitFor(kPlaying)) << log.text();
    EXPECT_EQ(log.events(), QStringList({QStringLiteral(u"open tone-2s.mp3"), kPlaying}));
    EXPECT_EQ(player.itemCount(), 2);
    player.stop();
}
