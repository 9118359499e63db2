// The window over the real player while its engine is still loading, as the program starts:
// what the user does before the engine is up is what the engine does once it is.
#include "support/fakedesktop.h"
#include "support/fixturefiles.h"
#include "support/songfolder.h"

#include "app/window/mainwindow.h"
#include "app/controls/playercontrol.h"
#include "platform/engine/mpvhandle.h"
#include "platform/engine/mpvplayer.h"
#include "platform/files/gbkcodec.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::test;

namespace {

constexpr int kTimeoutMs = 20000;

} // namespace

TEST(EngineLoad, APlayPauseTogglePressedWhileTheEngineLoadsIsKept)
{
    SongFolder songs;
    songs.addFile(QStringLiteral("a.mp3"), fixtureBytes("tone-2s.mp3"));
    QTemporaryDir programDir;
    QFile settings(QDir(programDir.path()).filePath(QStringLiteral(u"初始化配置.ini")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(encodeGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + songs.path()
                             + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n[自动播放]\r\n参数=自动\r\n")));
    settings.close();

    struct Case {
        const char *toggle;
        std::function<void(MainWindowUi &)> press;
    };
    const Case cases[] = {
        {"menu item 播放&&暂停", [](MainWindowUi &ui) { ui.playPauseItem->trigger(); }},
        {"the player face's button", [](MainWindowUi &ui) { ui.playerFace->playPauseButton()->click(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.toggle);
        MpvPlayer player;
        FakeDesktop desktop;
        PlaybackSession session(player, FilePath(programDir.path()));
        MainWindow window(session, desktop);
        window.context().endProgram = [](int) {};
        window.startUp(); // auto-play asks for the first song
        c.press(window.ui()); // the user pauses it before the engine is up
        window.ui().playerFace->volumeSlider()->setValue(30); // and turns it down

        QString error;
        std::unique_ptr<MpvHandle> engine = MpvHandle::open(&error);
        ASSERT_NE(engine, nullptr) << error.toStdString();
        const MpvHandle &handle = *engine;
        player.attach(std::move(engine));
        ASSERT_TRUE(QTest::qWaitFor([&] { return player.duration() > 0; }, kTimeoutMs));
        QTest::qWait(300);
        EXPECT_EQ(player.playState(), PlayState::Paused);
        EXPECT_LT(player.currentPosition(), 0.05);
        double volume = -1;
        handle.api().getProperty(handle.get(), "volume", MPV_FORMAT_DOUBLE, &volume);
        EXPECT_DOUBLE_EQ(volume, 30.0);

        c.press(window.ui()); // and plays it again
        EXPECT_TRUE(QTest::qWaitFor([&] { return player.currentPosition() > 0.2; }, kTimeoutMs));
        player.stop();
    }
}
