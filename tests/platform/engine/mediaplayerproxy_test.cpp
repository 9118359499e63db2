#include "platform/engine/mediaplayerproxy.h"
#include "support/fakeplayer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tunora;
using tunora::test::FakePlayer;

namespace {

// The engine the proxy gets, still reachable by the test after the proxy took it over.
struct Attached {
    FakePlayer *engine;
};

Attached attachFake(MediaPlayerProxy &proxy, bool synchronousEvents = true)
{
    auto engine = std::make_unique<FakePlayer>();
    engine->synchronousEvents = synchronousEvents;
    FakePlayer *raw = engine.get();
    proxy.attach(std::move(engine));
    return {raw};
}

QStringList signalLog(const QSignalSpy &opened, const QSignalSpy &states)
{
    QStringList log;
    for (const QList<QVariant> &args : opened)
        log << QStringLiteral("open %1").arg(args.at(0).toInt());
    for (const QList<QVariant> &args : states)
        log << QStringLiteral("state %1").arg(args.at(0).toInt());
    return log;
}

} // namespace

TEST(MediaPlayerProxy, CommandsGivenBeforeTheEngineReachItInTheirOrder)
{
    MediaPlayerProxy proxy;
    proxy.setPlaylist({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")});
    proxy.insertItem(0, QStringLiteral("/m/first.mp3"));
    proxy.playItem(2);
    proxy.setCurrentPosition(12.5);
    proxy.pause();
    proxy.play();
    proxy.setVolume(40);
    proxy.setMuted(true);
    proxy.next();
    proxy.stop();
    proxy.clearPlaylist();
    proxy.insertItem(0, QStringLiteral("/m/late.mp3"));
    proxy.previous();

    const Attached attached = attachFake(proxy, false);
    EXPECT_EQ(attached.engine->log(),
              QStringList({QStringLiteral("playItem 2"), QStringLiteral("setCurrentPosition 12.5"),
                           QStringLiteral("pause"), QStringLiteral("play"), QStringLiteral("next"),
                           QStringLiteral("stop"), QStringLiteral("previous")}));
    EXPECT_EQ(attached.engine->playlist(), QStringList({QStringLiteral("/m/late.mp3")}));
    EXPECT_EQ(attached.engine->volume(), 40);
    EXPECT_TRUE(attached.engine->isMuted());
}

TEST(MediaPlayerProxy, ThePlaylistAtTheTimeOfAPlayRequestIsTheOneItPlaysFrom)
{
    // A scan's playlist, a double-click on entry 1, then a rescan with another playlist: the
    // engine must play entry 1 of the first one, as the user saw it.
    MediaPlayerProxy proxy;
    proxy.setPlaylist({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")});
    proxy.playItem(1);
    proxy.setPlaylist({QStringLiteral("/n/x.mp3"), QStringLiteral("/n/y.mp3"), QStringLiteral("/n/z.mp3")});

    auto engine = std::make_unique<FakePlayer>();
    FakePlayer *raw = engine.get();
    QStringList opened;
    QObject::connect(raw, &MediaPlayer::openStateChanged, raw, [&] { opened << raw->currentSourceUrl(); });
    proxy.attach(std::move(engine));

    EXPECT_EQ(opened, QStringList({QStringLiteral("/m/b.mp3")}));
    EXPECT_EQ(proxy.itemCount(), 3);
}

TEST(MediaPlayerProxy, BeforeTheEngineReadsShowWhatWasWrittenAndNoMedia)
{
    MediaPlayerProxy proxy;
    EXPECT_EQ(proxy.itemCount(), 0);
    EXPECT_EQ(proxy.volume(), 100);
    EXPECT_FALSE(proxy.isMuted());

    proxy.setPlaylist({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")});
    proxy.insertItem(1, QStringLiteral("/m/between.mp3"));
    proxy.insertItem(99, QStringLiteral("/m/end.mp3"));
    proxy.setVolume(140);
    proxy.setMuted(true);
    proxy.playItem(0);
    proxy.setCurrentPosition(30);

    EXPECT_EQ(proxy.itemCount(), 4);
    EXPECT_EQ(proxy.item(1), QStringLiteral("/m/between.mp3"));
    EXPECT_EQ(proxy.item(3), QStringLiteral("/m/end.mp3"));
    EXPECT_TRUE(proxy.item(4).isEmpty());
    EXPECT_TRUE(proxy.item(-1).isEmpty());
    EXPECT_EQ(proxy.volume(), 100);
    EXPECT_TRUE(proxy.isMuted());
    // Nothing plays until the engine is there.
    EXPECT_EQ(proxy.playState(), PlayState::Undefined);
    EXPECT_EQ(proxy.currentPosition(), 0.0);
    EXPECT_TRUE(proxy.currentSourceUrl().isEmpty());
    EXPECT_TRUE(proxy.currentDuration().isEmpty());

    proxy.clearPlaylist();
    EXPECT_EQ(proxy.itemCount(), 0);
}

TEST(MediaPlayerProxy, OnceAttachedCallsAndReadsGoStraightToTheEngine)
{
    MediaPlayerProxy proxy;
    const Attached attached = attachFake(proxy, false);
    FakePlayer &engine = *attached.engine;

    proxy.setPlaylist({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")});
    proxy.playItem(1);
    EXPECT_EQ(engine.log(), QStringList({QStringLiteral("playItem 1")}));
    EXPECT_EQ(proxy.currentSourceUrl(), QStringLiteral("/m/b.mp3"));
    EXPECT_EQ(proxy.playState(), PlayState::Playing);

    engine.setPosition(7.25);
    engine.setDuration(QStringLiteral("120.000"));
    engine.setVolume(55);
    EXPECT_EQ(proxy.currentPosition(), 7.25);
    EXPECT_EQ(proxy.currentDuration(), QStringLiteral("120.000"));
    EXPECT_EQ(proxy.volume(), 55);
    EXPECT_EQ(proxy.itemCount(), 2);
    EXPECT_EQ(proxy.item(0), QStringLiteral("/m/a.mp3"));
}

TEST(MediaPlayerProxy, ForwardsEveryEngineSignalWithItsValue)
{
    MediaPlayerProxy proxy;
    QSignalSpy opened(&proxy, &MediaPlayer::openStateChanged);
    QSignalSpy states(&proxy, &MediaPlayer::playStateChanged);
    const Attached attached = attachFake(proxy, false);

    attached.engine->emitMediaOpen();
    attached.engine->emitPlayState(int(PlayState::Paused));
    attached.engine->emitPlayState(int(PlayState::Transitioning));
    EXPECT_EQ(signalLog(opened, states),
              QStringList({QStringLiteral("open 13"), QStringLiteral("state 2"), QStringLiteral("state 9")}));
}

TEST(MediaPlayerProxy, ACommandFromAHandlerDuringTheCatchUpWaitsForTheEarlierOnes)
{
    // The engine reports the song open inside playItem(); the window's handler answers with a
    // command of its own. It must not overtake the pause the user gave before the engine was up.
    MediaPlayerProxy proxy;
    QObject::connect(&proxy, &MediaPlayer::openStateChanged, &proxy, [&proxy] { proxy.setCurrentPosition(5); });
    proxy.setPlaylist({QStringLiteral("/m/a.mp3")});
    proxy.playItem(0);
    proxy.pause();

    const Attached attached = attachFake(proxy);
    EXPECT_EQ(attached.engine->log(), QStringList({QStringLiteral("playItem 0"), QStringLiteral("pause"),
                                                   QStringLiteral("setCurrentPosition 5")}));
    EXPECT_EQ(proxy.playState(), PlayState::Paused);
}

TEST(MediaPlayerProxy, OnlyTheFirstEngineIsTaken)
{
    MediaPlayerProxy proxy;
    const Attached first = attachFake(proxy, false);
    proxy.attach(std::make_unique<FakePlayer>());
    proxy.play();
    EXPECT_EQ(first.engine->log(), QStringList({QStringLiteral("play")}));
}
