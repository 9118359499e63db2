// Marks and the end preview over the real media engine, whose null audio output plays in
// real time: a mark is the position at the press, and the preview stops at the end mark.
#include "support/fakedesktop.h"

#include "app/window/mainwindow.h"
#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"
#include "marking/recordingplayer.h"
#include "platform/engine/mpvplayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace tunora;
using namespace tunora::test;

namespace {

// The machine running the tests may be busy: waits are generous.
constexpr int kTimeoutMs = 20000;

// Runs the event loop until `done` holds or the time is up.
template <typename Done>
bool runUntil(Done done, int timeoutMs = kTimeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

} // namespace

class MarkingEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        m_engine = MpvPlayer::create(&error);
        ASSERT_NE(m_engine, nullptr) << error.toStdString();
        m_player = std::make_unique<RecordingPlayer>(*m_engine);
        m_session = std::make_unique<PlaybackSession>(*m_player, FilePath(m_programDir.path()));
        m_window = std::make_unique<MainWindow>(*m_session, m_desktop);
        m_window->context().endProgram = [](int) {};
        m_window->startUp();
        m_session->setSongs({FilePath(QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(QStringLiteral("tone-2s.mp3")))});
    }
    void TearDown() override
    {
        if (m_engine)
            m_engine->stop();
        m_window.reset();
    }
    MainWindowUi &ui() { return m_window->ui(); }

    QTemporaryDir m_programDir;
    FakeDesktop m_desktop;
    std::unique_ptr<MpvPlayer> m_engine;
    std::unique_ptr<RecordingPlayer> m_player;
    std::unique_ptr<PlaybackSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MarkingEngine, AMarkIsThePlayPositionAndThePreviewStopsAtTheEndMark)
{
    // Played from 0 by a double-click on the song-file list.
    const QModelIndex entry = ui().songFiles->index(0);
    ui().songFileList->selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect);
    Q_EMIT ui().songFileList->doubleClicked(entry);
    ASSERT_TRUE(runUntil([&] { return m_player->currentPosition() > 0; }));
    ASSERT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：tone-2s.mp3"));

    // The moment playback left 0, on the wall clock; a second later the start mark.
    QElapsedTimer sinceStart;
    sinceStart.start();
    const double startedAt = m_player->currentPosition();
    ASSERT_TRUE(runUntil([&] { return sinceStart.nsecsElapsed() >= qint64((1.0 - startedAt) * 1e9); }));
    const double expected = startedAt + sinceStart.nsecsElapsed() / 1e9;
    ui().markStartButton->click();
    ASSERT_EQ(ui().songList->rowCount(), 1);
    const double mark = ui().songList->cell(0, SongListModel::Start).toDouble();
    EXPECT_NEAR(mark, expected, 0.02 + 0.005); // 20 ms, and the rounding to hundredths
    EXPECT_FALSE(ui().songList->cell(0, SongListModel::SongLength).isEmpty());

    // Preview the last second before the end mark 1.5.
    ui().endEntryBox->setText(QStringLiteral("1.5"));
    ui().previewLeadBox->setText(QStringLiteral("1"));
    ui().songListView->selectionModel()->setCurrentIndex(
        ui().songList->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const qsizetype stopsBefore = m_player->stops.size();
    ui().endPreviewButton->click();
    EXPECT_TRUE(m_window->context().endMarkTimer->isArmed());
    QList<double> positions;
    ASSERT_TRUE(runUntil([&] {
        if (m_player->stops.size() > stopsBefore)
            return true;
        positions << m_player->currentPosition();
        return false;
    }));
    // The preview plays the lead-in only: from 1.5 - 1 on, never from the song's start.
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_NEAR(positions.first(), 0.5, 0.05);
    EXPECT_GE(*std::min_element(positions.cbegin(), positions.cend()), 0.45)
        << positions.first() << " ... " << positions.last();
    EXPECT_FALSE(m_window->context().endMarkTimer->isArmed());
    EXPECT_NEAR(m_player->stops.last().position, 1.5, 0.02);
    EXPECT_GE(m_player->stops.last().position, 1.495);
    EXPECT_TRUE(runUntil([&] { return m_engine->playState() == PlayState::Stopped; }));
}
