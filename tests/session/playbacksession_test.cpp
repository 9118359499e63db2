#include "session/playbacksession.h"

#include "support/fakeplayer.h"
#include "support/filepaths.h"
#include "support/songfolder.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::test;

namespace {

int playItemCalls(const FakePlayer &player)
{
    int count = 0;
    for (const QString &call : player.log())
        count += call.startsWith(QStringLiteral("playItem")) ? 1 : 0;
    return count;
}

} // namespace

// The session on its own, over a player without an engine: no window anywhere.
class Session : public ::testing::Test {
protected:
    QTemporaryDir programDir;
    FakePlayer player;
    PlaybackSession session{player, FilePath(programDir.path())};

    void writeFormats(const QString &formats)
    {
        session.settings().file().write(QStringLiteral(u"音乐格式"), QStringLiteral(u"格式"), formats);
    }
    QString stored(const QString &section, const QString &key = QStringLiteral(u"参数")) const
    {
        return session.settings().file().read(section, key);
    }
};

TEST_F(Session, AFolderIsScannedIntoOneListThatThePlayerPlaysAndStoredWithItsSeparator)
{
    SongFolder songs;
    songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.wma"), QStringLiteral("notes.txt")});
    writeFormats(QStringLiteral("mp3,wma"));
    QSignalSpy changed(&session, &PlaybackSession::songsChanged);

    QString withoutSeparator = songs.path();
    withoutSeparator.chop(1);
    session.useSongFolder(FilePath(withoutSeparator));

    EXPECT_EQ(session.songFolder().text(), songs.path());
    EXPECT_EQ(stored(QStringLiteral(u"歌曲目录"), QStringLiteral(u"路径")), songs.path());
    EXPECT_EQ(session.songNames(), QStringList({QStringLiteral("b.wma"), QStringLiteral("a.mp3")}));
    EXPECT_EQ(player.playlist(), session.songs());
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(Session, RefreshWithoutAFolderTakesTheProgramsFolder)
{
    session.refresh();
    EXPECT_EQ(session.songFolder().text(), programDir.path() + QLatin1Char('/'));
}

TEST_F(Session, TheLastSongOfANameIsTheOneItGoesBy)
{
    session.setSongs(filePaths({QStringLiteral("/x/a.mp3"), QStringLiteral("/y/b.mp3"), QStringLiteral("/z/a.mp3"),
                                QStringLiteral("bare.mp3")}));
    EXPECT_EQ(session.lastIndexOfName(QStringLiteral("a.mp3")), 2);
    EXPECT_EQ(session.lastIndexOfName(QStringLiteral("bare.mp3")), 3);
    EXPECT_EQ(session.lastIndexOfName(QStringLiteral("A.mp3")), -1); // case counts
    EXPECT_EQ(session.lastIndexOfName(QString()), -1);
}

TEST_F(Session, AnOpenedSongBecomesTheCurrentOneWhenTheListHoldsIt)
{
    session.setSongs(filePaths({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3")}));
    QSignalSpy chosen(&session, &PlaybackSession::entryChosen);
    session.playItem(1);
    EXPECT_EQ(session.currentSongName(), QStringLiteral("b.mp3"));
    ASSERT_GE(chosen.size(), 1);
    EXPECT_EQ(chosen.last().at(0).toInt(), 1);

    // A song from elsewhere leaves the current song as it was.
    player.setPlaylist(filePaths({QStringLiteral("/other/c.mp3")}));
    player.playItem(0);
    EXPECT_EQ(session.currentSongName(), QStringLiteral("b.mp3"));
}

TEST_F(Session, ThePlayModeIsStoredAtOnceAndDecidesNextAndPrevious)
{
    session.setSongs(filePaths({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3"), QStringLiteral("/m/c.mp3")}));
    QSignalSpy modes(&session, &PlaybackSession::playModeChanged);

    session.setPlayMode(PlayMode::Loop);
    EXPECT_EQ(stored(QStringLiteral(u"播放方式")), QStringLiteral(u"循环"));
    player.clearLog();
    session.next();
    session.previous();
    EXPECT_EQ(player.log(), QStringList({QStringLiteral("next"), QStringLiteral("previous")}));

    session.setPlayMode(PlayMode::Random);
    EXPECT_EQ(stored(QStringLiteral(u"播放方式")), QStringLiteral(u"随机"));
    player.clearLog();
    session.next();
    session.previous();
    EXPECT_EQ(playItemCalls(player), 2) << player.log().join(u',').toStdString();
    EXPECT_EQ(modes.size(), 2);
}

TEST_F(Session, OnlyThePlayersOwnAdvanceIsAnsweredAndOnlyInRandomMode)
{
    session.setSongs(filePaths({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3"), QStringLiteral("/m/c.mp3")}));
    session.playItem(0);
    player.clearLog();
    player.finishCurrentByItself();
    EXPECT_EQ(playItemCalls(player), 0); // loop: the player's own next stands
    EXPECT_EQ(player.currentIndex(), 1);

    session.setPlayMode(PlayMode::Random);
    player.clearLog();
    player.finishCurrentByItself();
    EXPECT_EQ(playItemCalls(player), 1);
    // A switch the session asks for is never answered with another pick.
    player.clearLog();
    session.playItem(2);
    EXPECT_EQ(player.log(), QStringList({QStringLiteral("playItem 2")}));
}

TEST_F(Session, PlayPauseFollowsThePlayersStateAndSaysWhatWasAskedFor)
{
    session.setSongs(filePaths({QStringLiteral("/m/a.mp3")}));
    QSignalSpy chosen(&session, &PlaybackSession::playPauseChosen);
    session.playItem(0);
    player.clearLog();
    session.playPause();
    session.playPause();
    EXPECT_EQ(player.log(), QStringList({QStringLiteral("pause"), QStringLiteral("play")}));
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_FALSE(chosen[0].at(0).toBool());
    EXPECT_TRUE(chosen[1].at(0).toBool());
}

TEST_F(Session, TheVolumeIsKeptInRangeAndToldOncePerChange)
{
    QSignalSpy told(&session, &PlaybackSession::volumeChanged);
    session.setVolume(35);
    session.setVolume(35);
    session.setVolume(140);
    session.setVolume(-3);
    EXPECT_EQ(session.volume(), 0);
    EXPECT_EQ(player.volume(), 0);
    ASSERT_EQ(told.size(), 3);
    EXPECT_EQ(told[1].at(0).toInt(), 100);
}

TEST_F(Session, OpeningFilesPlaysTheFirstThatOpensAndRefusesTheOthersWithAReason)
{
    SongFolder songs;
    songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.ogg")});
    writeFormats(QStringLiteral("mp3"));
    QSignalSpy refused(&session, &PlaybackSession::openRefused);

    EXPECT_TRUE(session.openFiles(filePaths({songs.path() + QStringLiteral("missing.mp3"),
                                             songs.path() + QStringLiteral("c.ogg"),
                                             songs.path() + QStringLiteral("b.mp3"),
                                             songs.path() + QStringLiteral("a.mp3")})));
    EXPECT_EQ(session.songFolder().text(), songs.path());
    EXPECT_EQ(session.currentSongName(), QStringLiteral("b.mp3"));
    ASSERT_EQ(refused.size(), 2);
    EXPECT_TRUE(refused[0].at(0).toString().contains(QStringLiteral(u"文件不存在或不可读取")));
    EXPECT_TRUE(refused[1].at(0).toString().contains(QStringLiteral(u"音乐格式（mp3）")));

    EXPECT_FALSE(session.openFiles({}));
}
