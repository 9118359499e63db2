// A cut opened by the real media engine: the output of two marks lasts as long as the
// marks are apart, also when the song's tag holds a picture that is no audio.
#include "support/fakedesktop.h"
#include "support/filepaths.h"
#include "support/runprogram.h"
#include "support/windowfixture.h"

#include "app/controls/listselection.h"
#include "app/window/mainwindow.h"
#include "library/songlistmodel.h"
#include "platform/engine/mpvplayer.h"
#include "platform/numbers/numbers.h"
#include "songlistrows.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace tunora;
using namespace tunora::test;
using namespace Qt::StringLiterals;

namespace {

// The machine running the tests may be busy: waits are generous.
constexpr int kTimeoutMs = 20000;

} // namespace

class CuttingEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_programDir.isValid() && m_workDir.isValid());
        QString error;
        m_engine = MpvPlayer::create(&error);
        ASSERT_NE(m_engine, nullptr) << error.toStdString();
        countOpenedMedia();
        m_previousDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_workDir.path()));
        m_session = std::make_unique<PlaybackSession>(*m_engine, FilePath(m_programDir.path()));
        m_window = std::make_unique<MainWindow>(*m_session, m_desktop);
        m_window->context().endProgram = [](int) {};
        m_window->startUp();
        showSongFolder(*m_window, QStringLiteral(TUNORA_TEST_DATA_DIR) + u'/');
    }
    void TearDown() override
    {
        if (m_engine)
            m_engine->stop();
        m_window.reset();
        QDir::setCurrent(m_previousDir);
    }
    MainWindowUi &ui() { return m_window->ui(); }

    // The engine's "Duration" of a file, as the song list's 歌曲长度 takes it; empty when
    // the engine cannot open it.
    QString durationOf(const QString &path)
    {
        m_opened = 0;
        m_engine->setPlaylist(filePaths({path}));
        m_engine->playItem(0);
        const bool opened = QTest::qWaitFor([this] { return m_opened > 0; }, kTimeoutMs);
        const QString duration = opened ? durationText(m_engine->duration()) : QString();
        m_engine->stop();
        return duration;
    }

    QTemporaryDir m_programDir;
    QTemporaryDir m_workDir;
    QString m_previousDir;
    FakeDesktop m_desktop;
    std::unique_ptr<MpvPlayer> m_engine;
    std::unique_ptr<PlaybackSession> m_session;
    std::unique_ptr<MainWindow> m_window;
    int m_opened = 0;

private:
    void countOpenedMedia()
    {
        QObject::connect(m_engine.get(), &MediaPlayer::openStateChanged, m_engine.get(), [this](OpenState state) {
            if (state == OpenState::MediaOpen)
                ++m_opened;
        });
    }
};

TEST_F(CuttingEngine, ACutLastsAsLongAsItsMarksAreApart)
{
    struct Case {
        QString song;
        QString start;
        QString end;
    };
    // tone-cover-3s.mp3 carries a picture half the size of its audio: counted as audio,
    // it would make the cut half as long again.
    const Case cases[] = {
        {u"tone-picture.mp3"_s, u"0.3"_s, u"1.2"_s},
        {u"tone-cover-3s.mp3"_s, u"0.5"_s, u"2.5"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.song.toStdString());
        const QString songLength = durationOf(QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(c.song));
        ASSERT_FALSE(songLength.isEmpty());
        const double marked = double(numberFromText(c.end)) - double(numberFromText(c.start));

        SongListModel &songs = *ui().songList;
        songs.clearSongs();
        appendRow(songs, {c.song, c.start, c.end, markText(marked), songLength});
        selectRow(ui().songListView, 0);
        m_desktop.messages.clear();
        clickCut(*m_window, ui().cutSelectedButton);
        ASSERT_EQ(m_desktop.messages.size(), 1);
        ASSERT_EQ(m_desktop.messages[0].text, u"剪切成功！"_s);

        const QString cut = QDir(m_programDir.path()).filePath(u"[铃声]"_s + c.song);
        const QString cutLength = durationOf(cut);
        ASSERT_FALSE(cutLength.isEmpty()) << "the engine cannot open the cut";
        EXPECT_NEAR(numberFromText(cutLength), marked, 0.1)
            << "song length " << songLength.toStdString() << ", cut length " << cutLength.toStdString();
    }
}

TEST_F(CuttingEngine, AWmaCutIsASongTheEngineOpensWithTheMarkedLength)
{
    // A WMA tone made by the fixture script; a copy with its header cut short beside it.
    QTemporaryDir songs;
    ASSERT_TRUE(songs.isValid());
    ASSERT_EQ(test::runProgram(u"sh"_s, {QStringLiteral(TUNORA_TEST_DATA_DIR "/make_fixtures.sh"), u"containers"_s,
                                         songs.path()}),
              0)
        << "make_fixtures.sh needs sox and ffmpeg (scripts/install-deps.sh --test)";
    QFile whole(songs.filePath(u"steps.wma"_s));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile broken(songs.filePath(u"broken.wma"_s));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(whole.read(300));
    broken.close();
    showSongFolder(*m_window, songs.path() + u'/');

    const QString songLength = durationOf(songs.filePath(u"steps.wma"_s));
    ASSERT_FALSE(songLength.isEmpty());
    SongListModel &list = *ui().songList;
    list.clearSongs();
    appendRow(list, {u"steps.wma"_s, u"1.5"_s, u"4"_s, u"2.5"_s, songLength});
    appendRow(list, {u"broken.wma"_s, u"1.5"_s, u"4"_s, u"2.5"_s, songLength});

    selectRow(ui().songListView, 0);
    m_desktop.messages.clear();
    clickCut(*m_window, ui().cutSelectedButton);
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages[0].text, u"剪切成功！"_s);
    const QString cutLength = durationOf(QDir(m_programDir.path()).filePath(u"[铃声]steps.wma"_s));
    ASSERT_FALSE(cutLength.isEmpty()) << "the engine cannot open the cut";
    EXPECT_NEAR(numberFromText(cutLength), 2.5, 0.1);

    selectRow(ui().songListView, 1);
    clickCut(*m_window, ui().cutSelectedButton);
    ASSERT_EQ(m_desktop.messages.size(), 2);
    EXPECT_EQ(m_desktop.messages[1].text, u"剪切失败！"_s);
    EXPECT_FALSE(QFile::exists(QDir(m_programDir.path()).filePath(u"[铃声]broken.wma"_s)));
    EXPECT_FALSE(QFile::exists(QDir(m_workDir.path()).filePath(u"[铃声]broken.wma"_s)));
}
