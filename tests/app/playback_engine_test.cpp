// The window over the real media engine: what the player reports when it opens and
// advances by itself reaches the song-file list and the song-name label.
#include "support/fakedesktop.h"
#include "support/fixturefiles.h"
#include "support/songfolder.h"

#include "app/window/mainwindow.h"
#include "marking/recordingplayer.h"
#include "platform/files/gbkcodec.h"
#include "platform/engine/mpvplayer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tunora;
using namespace tunora::test;

namespace {

// The machine running the tests may be busy: waits are generous.
constexpr int kTimeoutMs = 20000;

} // namespace

class PlaybackEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        m_player = MpvPlayer::create(&error);
        ASSERT_NE(m_player, nullptr) << error.toStdString();
        m_recorder = std::make_unique<RecordingPlayer>(*m_player);
        // The list reads c.mp3, b.mp3, a.mp3; b is the one-second song.
        m_songs.addFile(QStringLiteral("a.mp3"), fixtureBytes("tone-2s.mp3"));
        m_songs.addFile(QStringLiteral("b.mp3"), fixtureBytes("tone-1s.mp3"));
        m_songs.addFile(QStringLiteral("c.mp3"), fixtureBytes("tone-picture.mp3"));
    }
    void TearDown() override
    {
        if (m_player)
            m_player->stop();
        m_window.reset();
    }

    void start(const QString &mode, const QString &extraSettings = {})
    {
        QFile settings(QDir(m_programDir.path()).filePath(QStringLiteral(u"初始化配置.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(encodeGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + m_songs.path()
                                 + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n[播放方式]\r\n参数=") + mode
                                 + QStringLiteral("\r\n") + extraSettings));
        settings.close();
        m_session = std::make_unique<PlaybackSession>(*m_recorder, FilePath(m_programDir.path()));
        m_window = std::make_unique<MainWindow>(*m_session, m_desktop);
        m_window->context().endProgram = [](int) {};
        m_window->startUp();
        ASSERT_EQ(ui().songFiles->stringList(),
                  QStringList({QStringLiteral("c.mp3"), QStringLiteral("b.mp3"), QStringLiteral("a.mp3")}));
        connect();
    }
    MainWindowUi &ui() { return m_window->ui(); }

    void doubleClickEntry(int row)
    {
        QListView *list = ui().songFileList;
        const QPoint at = list->visualRect(ui().songFiles->index(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    int selectedEntry()
    {
        const QModelIndexList rows = ui().songFileList->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    bool labelNames(const QString &song) { return ui().songNameLabel->text() == QStringLiteral(u"歌曲名：") + song; }

    // The files the player opened, in order.
    void connect()
    {
        QObject::connect(m_player.get(), &MediaPlayer::openStateChanged, m_window.get(), [this](OpenState state) {
            if (state == OpenState::MediaOpen)
                m_opened.append(QFileInfo(m_player->currentSource().text()).fileName());
        });
    }

    QTemporaryDir m_programDir;
    SongFolder m_songs;
    FakeDesktop m_desktop;
    std::unique_ptr<MpvPlayer> m_player;
    // What the window asks of the engine passes through it.
    std::unique_ptr<RecordingPlayer> m_recorder;
    std::unique_ptr<PlaybackSession> m_session;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_opened;
};

TEST_F(PlaybackEngine, TheLabelAndSelectionFollowTheClickedSongAndTheOwnAdvance)
{
    start(QStringLiteral(u"循环"));
    m_window->show();
    doubleClickEntry(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return labelNames(QStringLiteral("b.mp3")); }, kTimeoutMs))
        << ui().songNameLabel->text().toStdString();
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(m_opened, QStringList({QStringLiteral("b.mp3")}));

    // b.mp3 lasts a second; the player then opens a.mp3 by itself.
    ASSERT_TRUE(QTest::qWaitFor([&] { return labelNames(QStringLiteral("a.mp3")); }, kTimeoutMs))
        << ui().songNameLabel->text().toStdString();
    EXPECT_EQ(selectedEntry(), 2);
    EXPECT_EQ(m_opened, QStringList({QStringLiteral("b.mp3"), QStringLiteral("a.mp3")}));
    EXPECT_EQ(m_player->playState(), PlayState::Playing);
}

TEST_F(PlaybackEngine, InRandomModeTheOwnAdvanceOpensExactlyOneRandomSong)
{
    start(QStringLiteral(u"随机"));
    ASSERT_TRUE(ui().randomItem->isChecked());
    m_window->show();
    doubleClickEntry(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_opened.size() == 1; }, kTimeoutMs));
    EXPECT_EQ(m_opened.first(), QStringLiteral("b.mp3"));
    // The double-click's own switch got no random answer; the end of b.mp3 gets one, which
    // the window asks for: the engine's sequential choice (a.mp3) is not what plays.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_opened.size() == 2; }, kTimeoutMs));
    QTest::qWait(300); // a second switch would open within this
    ASSERT_EQ(m_opened.size(), 2) << m_opened.join(u',').toStdString();
    ASSERT_EQ(m_recorder->playedItems.size(), 2);
    EXPECT_EQ(m_recorder->playedItems.first(), 1);
    const int selected = selectedEntry();
    EXPECT_EQ(selected, m_recorder->playedItems.last());
    ASSERT_GE(selected, 0);
    const QString song = ui().songFiles->index(selected).data().toString();
    EXPECT_EQ(m_opened.last(), song);
    EXPECT_TRUE(labelNames(song)) << ui().songNameLabel->text().toStdString();
    EXPECT_EQ(m_player->currentSource().text(), m_songs.path() + song);
}

TEST_F(PlaybackEngine, AutoPlayAtStartUpPlaysTheFirstSong)
{
    start(QStringLiteral(u"循环"), QStringLiteral(u"[自动播放]\r\n参数=自动\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return labelNames(QStringLiteral("c.mp3")); }, kTimeoutMs))
        << ui().songNameLabel->text().toStdString();
    EXPECT_EQ(selectedEntry(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_player->playState() == PlayState::Playing; }, kTimeoutMs));
    EXPECT_EQ(m_opened.first(), QStringLiteral("c.mp3"));
}
