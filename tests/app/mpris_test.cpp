#include "support/filepaths.h"
#include "support/songfolder.h"
#include "support/windowfixture.h"

#include "app/controls/artwork.h"
#include "app/window/mainwindowui.h"
#include "app/controls/menuskin.h"
#include "app/desktop/mpris/mimetypes.h"
#include "app/desktop/mpris/mprisplayer.h"
#include "app/desktop/mpris/mprisroot.h"
#include "app/desktop/mpris/mprisstate.h"
#include "app/controls/playercontrol.h"
#include "platform/files/filenames.h"
#include "platform/files/fileurl.h"
#include "platform/settings/settingsfile.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStringListModel>
#include <QSystemTrayIcon>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace tunora;
using namespace tunora::test;

namespace {

constexpr qint64 kSecond = 1'000'000;

} // namespace

// The desktop's media controls over a window whose song-file list reads c.mp3, b.mp3, a.mp3.
class Mpris : public WindowFixture {
protected:
    SongFolder songs;
    QObject service;
    MprisState *state = nullptr;
    MprisPlayer *player = nullptr;
    MprisRoot *root = nullptr;

    void startWith(const QString &folderSetting, const QString &format = QStringLiteral("mp3"))
    {
        songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
        writeSettingsGbk(folderSetting + QStringLiteral(u"[音乐格式]\r\n格式=") + format + QStringLiteral("\r\n"));
        start();
        state = new MprisState(session(), &service);
        player = new MprisPlayer(session(), *state, &service);
        root = new MprisRoot(session(), windowCommands(), &service);
        m_player.setDuration(30.0);
        m_player.clearLog();
    }
    void SetUp() override { startWith(QStringLiteral(u"[歌曲目录]\r\n路径=") + songs.path() + QStringLiteral("\r\n")); }

    void playEntry(int row)
    {
        ui().songFileList->setCurrentIndex(ui().songFiles->index(row));
        ui().songFileList->doubleClicked(ui().songFiles->index(row));
    }
    // What the desktop was told since the last call, announcement by announcement.
    QList<QVariantMap> announcements()
    {
        QCoreApplication::processEvents();
        QList<QVariantMap> told;
        for (const QList<QVariant> &signal : *announced)
            told.append(signal.at(0).toMap());
        announced->clear();
        return told;
    }
    void listen() { announced = std::make_unique<QSignalSpy>(state, &MprisState::propertiesChanged); }

    std::unique_ptr<QSignalSpy> announced;
};

TEST_F(Mpris, TransportDoesWhatThePlayerFaceAndTheMenuDo)
{
    struct Case {
        const char *what;
        std::function<void()> before;
        std::function<void(MprisPlayer &)> command;
        QStringList log;
    };
    const auto playing = [this] { playEntry(1); };
    const auto paused = [this] { playEntry(1); m_player.pause(); };
    const Case cases[] = {
        {"Play while stopped", {}, [](MprisPlayer &p) { p.Play(); }, {QStringLiteral("play")}},
        {"Play while playing", playing, [](MprisPlayer &p) { p.Play(); }, {}},
        {"Pause while playing", playing, [](MprisPlayer &p) { p.Pause(); }, {QStringLiteral("pause")}},
        {"Pause while paused", paused, [](MprisPlayer &p) { p.Pause(); }, {}},
        {"PlayPause while playing", playing, [](MprisPlayer &p) { p.PlayPause(); }, {QStringLiteral("pause")}},
        {"PlayPause while paused", paused, [](MprisPlayer &p) { p.PlayPause(); }, {QStringLiteral("play")}},
        {"Stop", playing, [](MprisPlayer &p) { p.Stop(); }, {QStringLiteral("stop")}},
        {"Next in loop mode", playing, [](MprisPlayer &p) { p.Next(); }, {QStringLiteral("next")}},
        {"Previous in loop mode", playing, [](MprisPlayer &p) { p.Previous(); }, {QStringLiteral("previous")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_player.stop();
        if (c.before)
            c.before();
        m_player.clearLog();
        c.command(*player);
        EXPECT_EQ(m_player.log(), c.log);
    }
}

TEST_F(Mpris, NextAndPreviousInRandomModePickFromTheSongFileList)
{
    ui().randomItem->trigger();
    ASSERT_TRUE(ui().randomItem->isChecked());
    const std::function<void()> skips[] = {[this] { player->Next(); }, [this] { player->Previous(); }};
    for (const std::function<void()> &skip : skips) {
        for (int i = 0; i < 10; ++i) {
            m_player.clearLog();
            skip();
            ASSERT_EQ(m_player.log().size(), 1);
            const QString call = m_player.log().first();
            ASSERT_TRUE(call.startsWith(QStringLiteral("playItem "))) << call.toStdString();
            const int item = call.mid(9).toInt();
            EXPECT_TRUE(item >= 0 && item < 3) << item;
            EXPECT_EQ(ui().songFileList->currentIndex().row(), item);
        }
    }
}

TEST_F(Mpris, PositionIsSetAsAClickOnTheSeekBarAndTheJumpIsTold)
{
    playEntry(1);
    m_player.setPosition(10);
    const QDBusObjectPath current = state->trackId();
    QSignalSpy seeked(player, &MprisPlayer::Seeked);
    struct Case {
        const char *what;
        std::function<void()> command;
        QStringList log;
    };
    const Case cases[] = {
        {"SetPosition on the current song", [&] { player->SetPosition(current, 12'500'000); }, {QStringLiteral("setCurrentPosition 12.5")}},
        {"SetPosition at the very end", [&] { player->SetPosition(current, 30 * kSecond); }, {QStringLiteral("setCurrentPosition 30")}},
        {"SetPosition for another song is stale", [&] { player->SetPosition(QDBusObjectPath(QStringLiteral("/tunora/track/0")), kSecond); }, {}},
        {"SetPosition before the start", [&] { player->SetPosition(current, -1); }, {}},
        {"SetPosition past the end", [&] { player->SetPosition(current, 30 * kSecond + 1); }, {}},
        {"Seek forward", [&] { player->Seek(5 * kSecond); }, {QStringLiteral("setCurrentPosition 15")}},
        {"Seek back past the start goes to the start", [&] { player->Seek(-20 * kSecond); }, {QStringLiteral("setCurrentPosition 0")}},
        {"Seek past the end goes to the next song", [&] { player->Seek(25 * kSecond); }, {QStringLiteral("next")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_player.setPosition(10);
        m_player.clearLog();
        c.command();
        EXPECT_EQ(m_player.log(), c.log);
    }
    // Each position set was told, with the position it went to.
    ASSERT_EQ(seeked.size(), 4);
    EXPECT_EQ(seeked.at(0).at(0).toLongLong(), 12'500'000);
    EXPECT_EQ(seeked.at(3).at(0).toLongLong(), 0);
    // The seek bar shows the new place before its next refresh.
    player->SetPosition(state->trackId(), 20 * kSecond);
    EXPECT_EQ(ui().playerFace->seekSlider()->value(), 20'000);
}

TEST_F(Mpris, NothingOpenNothingToSeek)
{
    player->Seek(5 * kSecond);
    player->SetPosition(state->trackId(), kSecond);
    EXPECT_TRUE(m_player.log().isEmpty());
    EXPECT_FALSE(player->canSeek());
    EXPECT_FALSE(player->canPause());
}

TEST_F(Mpris, ShuffleAndLoopChooseThePlayModeAsTheMenuDoes)
{
    const auto mode = [this] { return SettingsFile(FilePath(programDirectory())).read(QStringLiteral(u"播放方式"), QStringLiteral(u"参数")); };
    const auto checkMarks = [this] {
        QString marks;
        marks += MenuSkin::itemIcon(ui().randomItem) == int(MenuIcon::Check) ? u'R' : u'-';
        marks += MenuSkin::itemIcon(ui().loopItem) == int(MenuIcon::Check) ? u'L' : u'-';
        return marks;
    };
    struct Case {
        const char *what;
        std::function<void()> set;
        bool random;
    };
    const Case cases[] = {
        {"Shuffle on chooses 随机", [&] { player->setShuffle(true); }, true},
        {"Shuffle on again stays", [&] { player->setShuffle(true); }, true},
        {"LoopStatus Playlist chooses 循环", [&] { player->setLoopStatus(QStringLiteral("Playlist")); }, false},
        {"LoopStatus Playlist again stays", [&] { player->setLoopStatus(QStringLiteral("Playlist")); }, false},
        {"LoopStatus None leaves loop by 随机", [&] { player->setLoopStatus(QStringLiteral("None")); }, true},
        {"LoopStatus Track changes nothing", [&] { player->setLoopStatus(QStringLiteral("Track")); }, true},
        {"Shuffle off comes back to 循环", [&] { player->setShuffle(false); }, false},
        {"Shuffle off again stays", [&] { player->setShuffle(false); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.set();
        EXPECT_EQ(ui().randomItem->isChecked(), c.random);
        EXPECT_EQ(ui().loopItem->isChecked(), !c.random);
        EXPECT_EQ(checkMarks(), c.random ? QStringLiteral("R-") : QStringLiteral("-L"));
        EXPECT_EQ(mode(), c.random ? QStringLiteral(u"随机") : QStringLiteral(u"循环"));
        EXPECT_EQ(player->shuffle(), c.random);
        EXPECT_EQ(player->loopStatus(), c.random ? QStringLiteral("None") : QStringLiteral("Playlist"));
    }
}

TEST_F(Mpris, VolumeIsTheVolumeSlider)
{
    QSlider *slider = ui().playerFace->volumeSlider();
    struct Case { double set; int slider; };
    const Case cases[] = {{0.25, 25}, {1.0, 100}, {1.7, 100}, {0.004, 0}, {-0.5, 0}, {0.996, 100}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.set);
        player->setVolume(c.set);
        EXPECT_EQ(slider->value(), c.slider);
        EXPECT_EQ(m_player.volume(), c.slider);
        EXPECT_DOUBLE_EQ(player->volume(), c.slider / 100.0);
    }
    slider->setValue(40);
    EXPECT_DOUBLE_EQ(player->volume(), 0.4);
}

TEST_F(Mpris, MetadataNamesTheSongAs标签1DoesWithATrackIdOfEachOpening)
{
    QVariantMap data = player->metadata();
    EXPECT_EQ(data.keys(), QStringList({QStringLiteral("mpris:trackid")}));
    EXPECT_EQ(data.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));

    playEntry(1);
    data = player->metadata();
    EXPECT_EQ(data.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b.mp3"));
    EXPECT_EQ(data.value(QStringLiteral("xesam:url")).toString(), fileUrlOf(FilePath(songs.path() + QStringLiteral("b.mp3"))));
    EXPECT_EQ(data.value(QStringLiteral("mpris:length")).toLongLong(), 30 * kSecond);
    const QDBusObjectPath first = data.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>();

    // The same song opened again is a new track: a SetPosition meant for the old one is stale.
    playEntry(1);
    const QDBusObjectPath again = player->metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>();
    EXPECT_NE(again, first);
    m_player.clearLog();
    player->SetPosition(first, kSecond);
    EXPECT_TRUE(m_player.log().isEmpty());
}

TEST_F(Mpris, TitleOfANameThatIsNotUtf8IsReadable)
{
    const QString name = decodeFileName(QByteArray("\xb8\xe8.mp3")); // GBK 歌
    songs.addFile(name);
    ui().refreshButton->click(); // 刷新列表
    const int row = int(ui().songFiles->stringList().indexOf(name));
    ASSERT_GE(row, 0);
    playEntry(row);
    EXPECT_EQ(player->metadata().value(QStringLiteral("xesam:title")).toString(), QStringLiteral(u"歌.mp3"));
    EXPECT_EQ(pathOfFileUrl(player->metadata().value(QStringLiteral("xesam:url")).toString()), FilePath(songs.path() + name));
}

TEST_F(Mpris, EveryChangeIsToldOnceWithOnlyWhatChanged)
{
    listen();
    playEntry(1);
    QList<QVariantMap> told = announcements();
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    EXPECT_EQ(told[0].value(QStringLiteral("Metadata")).toMap().value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b.mp3"));
    EXPECT_TRUE(told[0].value(QStringLiteral("CanPause")).toBool());
    EXPECT_TRUE(told[0].value(QStringLiteral("CanSeek")).toBool());
    EXPECT_FALSE(told[0].contains(QStringLiteral("Volume")));

    struct Case {
        const char *what;
        std::function<void()> change;
        QVariantMap told;
    };
    const Case cases[] = {
        {"pause", [&] { ui().playerFace->playPauseClicked(); }, {{QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")}}},
        {"volume slider", [&] { ui().playerFace->volumeSlider()->setValue(30); }, {{QStringLiteral("Volume"), 0.3}}},
        // In loop mode: in random mode the player's own switch is answered with a random pick.
        {"a switch between songs is neither stopped nor playing", [&] { m_player.emitPlayState(PlayState::Transitioning); }, {}},
        {"the menu's 随机", [&] { ui().randomItem->trigger(); },
         {{QStringLiteral("Shuffle"), true}, {QStringLiteral("LoopStatus"), QStringLiteral("None")}}},
        {"a position set", [&] { ui().playerFace->seekBarClicked(3); }, {}},
        {"stop", [&] { ui().stopItem->trigger(); }, {{QStringLiteral("PlaybackStatus"), QStringLiteral("Stopped")}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        told = announcements();
        if (c.told.isEmpty()) {
            EXPECT_TRUE(told.isEmpty()) << QStringList(told.value(0).keys()).join(u',').toStdString();
        } else {
            ASSERT_EQ(told.size(), 1);
            EXPECT_EQ(told[0], c.told);
        }
    }
}

TEST_F(Mpris, WhatCanBeDoneFollowsTheSongFolder)
{
    // A scan of an empty folder leaves nothing to play or skip to.
    SongFolder empty;
    listen();
    session().useSongFolder(FilePath(empty.path()));
    EXPECT_FALSE(player->canPlay());
    EXPECT_FALSE(player->canGoNext());
    EXPECT_FALSE(player->canGoPrevious());
    QList<QVariantMap> told = announcements();
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].value(QStringLiteral("CanPlay")), QVariant(false));

    session().useSongFolder(FilePath(songs.path()));
    EXPECT_TRUE(player->canPlay());
    EXPECT_TRUE(player->canGoNext());
    told = announcements();
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].value(QStringLiteral("CanGoNext")), QVariant(true));
    EXPECT_TRUE(player->canControl());
}

TEST_F(Mpris, OpenUriOpensALocalSongAsTheCommandLineDoes)
{
    SongFolder other;
    other.addFile(QStringLiteral("far away.mp3"));
    player->OpenUri(QStringLiteral("http://example.com/far%20away.mp3"));
    EXPECT_TRUE(m_player.log().isEmpty());
    player->OpenUri(fileUrlOf(FilePath(other.path() + QStringLiteral("far away.mp3"))));
    EXPECT_EQ(session().songFolder().text(), other.path());
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 0")}));
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：far away.mp3"));
}

TEST_F(Mpris, RaiseBringsTheWindowOutOfTheTray)
{
    window().setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    ASSERT_FALSE(window().isVisible());
    ASSERT_NE(window().trayIcon(), nullptr);
    root->Raise();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(window().isMinimized());
    EXPECT_EQ(window().trayIcon(), nullptr);
    // Raised again while shown, it stays shown (the tray's restore action would hide it).
    root->Raise();
    EXPECT_TRUE(window().isVisible());
}

TEST_F(Mpris, QuitEndsTheProgramOnceTheCallHasReturned)
{
    root->Quit();
    EXPECT_TRUE(m_exitCodes.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_exitCodes, QList<int>({0}));
}

TEST(MimeTypes, OfTheFormatSettingAndOfTheMenuEntry)
{
    EXPECT_EQ(mimeTypesOf(MusicFormats::parse(QStringLiteral("mp3,wma,flac,,MP3,nosuchkind"))),
              QStringList({QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-ms-wma"), QStringLiteral("audio/flac")}));

    // The menu entry offers the program for the kinds its default format lists.
    QTemporaryDir program;
    ASSERT_TRUE(QFile::copy(QStringLiteral(TUNORA_DEFAULT_SETTINGS), program.filePath(QStringLiteral(u"初始化配置.ini"))));
    const QString format = SettingsFile(FilePath(program.path())).read(QStringLiteral(u"音乐格式"), QStringLiteral(u"格式"));
    ASSERT_FALSE(format.isEmpty());
    QFile entry(QStringLiteral(TUNORA_DESKTOP_ENTRY));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList mimeTypes;
    QString exec;
    for (const QByteArray &line : entry.readAll().split('\n')) {
        if (line.startsWith("MimeType="))
            mimeTypes = QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
        if (line.startsWith("Exec="))
            exec = QString::fromUtf8(line.mid(5));
    }
    EXPECT_EQ(mimeTypes, mimeTypesOf(MusicFormats::parse(format)));
    EXPECT_EQ(exec, QStringLiteral("tunora %F"));
}

TEST_F(Mpris, SupportedMimeTypesFollowTheSettingsFile)
{
    EXPECT_EQ(root->supportedMimeTypes(), QStringList({QStringLiteral("audio/mpeg")}));
    writeSettingsGbk(QStringLiteral(u"[音乐格式]\r\n格式=wma,mp3\r\n"));
    EXPECT_EQ(root->supportedMimeTypes(), QStringList({QStringLiteral("audio/x-ms-wma"), QStringLiteral("audio/mpeg")}));
    EXPECT_EQ(root->supportedUriSchemes(), QStringList({QStringLiteral("file")}));
}

// The desktop's media controls reach the same commands as the window, with no window at all:
// they speak to the session alone.
TEST(MprisWithoutWindow, PlayPauseNextAndThePlayModeGoThroughTheSession)
{
    QTemporaryDir programDir;
    FakePlayer fake;
    PlaybackSession session(fake, FilePath(programDir.path()));
    session.setSongs(filePaths({QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3"), QStringLiteral("/m/c.mp3")}));
    QObject service;
    MprisState state(session);
    MprisPlayer player(session, state, &service);
    MprisRoot root(session, {[] {}, [] {}}, &service);

    player.PlayPause();
    EXPECT_EQ(fake.log(), QStringList({QStringLiteral("play")}));
    EXPECT_EQ(session.currentSongName(), QStringLiteral("a.mp3"));
    EXPECT_EQ(player.playbackStatus(), QStringLiteral("Playing"));
    player.PlayPause();
    EXPECT_EQ(fake.playState(), PlayState::Paused);

    fake.clearLog();
    player.Next();
    EXPECT_EQ(fake.log(), QStringList({QStringLiteral("next")}));
    EXPECT_EQ(session.currentSongName(), QStringLiteral("b.mp3"));

    player.setShuffle(true);
    EXPECT_EQ(session.playMode(), PlayMode::Random);
    EXPECT_EQ(session.settings().playMode(), PlayMode::Random);
    EXPECT_EQ(player.loopStatus(), QStringLiteral("None"));
    fake.clearLog();
    player.Next();
    ASSERT_EQ(fake.log().size(), 1);
    EXPECT_TRUE(fake.log().first().startsWith(QStringLiteral("playItem "))) << fake.log().first().toStdString();

    player.setLoopStatus(QStringLiteral("Playlist"));
    EXPECT_EQ(session.playMode(), PlayMode::Loop);
    player.setVolume(0.35);
    EXPECT_EQ(session.volume(), 35);
    EXPECT_EQ(fake.volume(), 35);
    EXPECT_EQ(root.supportedMimeTypes(), QStringList()); // no formats stored
}
