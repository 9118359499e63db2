// The seek strip in the window: the playing song's loudness with the current song's marked
// band, which follows the marks however they change; a band edge dragged moves its mark as
// typing the position does, a drag elsewhere seeks, and a song that cannot be decoded keeps
// the plain seek bar without a word.
#include "support/filepaths.h"
#include "support/mouseevents.h"
#include "support/windowfixture.h"

#include "app/controls/listselection.h"
#include "app/controls/seekstrip.h"
#include "cutting/songfiles.h"
#include "overview/loudsongs.h"
#include "library/songlistmodel.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QTreeView>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

using namespace tunora;
using namespace tunora::test;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

void drag(SeekStrip *strip, double fromSeconds, double toSeconds)
{
    const int y = strip->height() / 2;
    const QPoint from(strip->xOfSeconds(fromSeconds), y);
    const QPoint to(strip->xOfSeconds(toSeconds), y);
    sendMouse(strip, QEvent::MouseButtonPress, from, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

class SeekStripWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_songs.isValid());
        QString error;
        ASSERT_TRUE(makeSong(m_songs.filePath(u"loud.wav"_s), kSongFormats[1], kLoudMiddle, kLoudSongSeconds, &error))
            << error.toStdString();
        writeBytes(m_songs.filePath(u"damaged.mp3"_s), patternBytes(100'000));
        start();
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        session().setSongs(filePaths({m_songs.filePath(u"loud.wav"_s), m_songs.filePath(u"damaged.mp3"_s)}));
        m_player.setDuration(kLoudSongSeconds);
        ui().songList->insertSong(0, u"other.mp3"_s);
        ui().songList->insertSong(0, u"loud.wav"_s);
        ui().songList->setCell(0, SongListModel::Start, u"12"_s);
        ui().songList->setCell(0, SongListModel::End, u"15.5"_s);
    }
    SeekStrip *strip() { return ui().playerFace->seekSlider(); }
    // The marks' part of the description; the keys that seek are named after it.
    QString description() { return strip()->accessibleDescription().section(u'；', 0, 0); }
    void playLoudSong()
    {
        session().playItem(0);
        ASSERT_EQ(session().currentSongName(), u"loud.wav"_s);
        // A first estimate may come before: the checks here are of the decoded sound.
        ASSERT_TRUE(
            QTest::qWaitFor([this] { return strip()->overview() && !strip()->overview()->estimate; }, 30'000));
    }

    QTemporaryDir m_songs;
};

} // namespace

TEST_F(SeekStripWindow, DrawsTheLoudMiddleAndTheMarkedBand)
{
    playLoudSong();
    const std::vector<float> &columns = strip()->drawnColumns();
    ASSERT_GT(columns.size(), 100u);
    const double secondsPerColumn = kLoudSongSeconds / double(columns.size());
    const auto [first, last] = loudColumns(columns, 0.2f);
    EXPECT_NEAR(first * secondsPerColumn, kLoudFrom, secondsPerColumn);
    EXPECT_NEAR((last + 1) * secondsPerColumn, kLoudTo, secondsPerColumn);
    EXPECT_EQ(description(), u"开始时间 12，结束时间 15.5"_s);

    // The band is drawn where the marks are: its colour over the quiet sound there.
    const QImage shot = strip()->grab().toImage();
    const int y = 2; // above the loudest sound
    const auto banded = [&](double seconds) {
        const QColor c = shot.pixelColor(strip()->xOfSeconds(seconds), y);
        return c.red() > 200 && c.blue() < 200;
    };
    EXPECT_TRUE(banded(13.5));
    EXPECT_FALSE(banded(9));
    EXPECT_FALSE(banded(18));
}

TEST_F(SeekStripWindow, TheBandFollowsTheMarksHoweverTheyChange)
{
    playLoudSong();
    ui().startEntryBox->setText(u"11.25"_s); // typed
    EXPECT_EQ(description(), u"开始时间 11.25，结束时间 15.5"_s);
    ui().songList->setCell(0, SongListModel::End, u"16"_s); // any other way into the row
    EXPECT_EQ(description(), u"开始时间 11.25，结束时间 16"_s);
    selectRow(ui().songListView, 0);
    ui().moveDownItem->trigger(); // a row move keeps it the current song's
    ASSERT_EQ(ui().songList->rowOfSong(u"loud.wav"_s), 1);
    EXPECT_EQ(description(), u"开始时间 11.25，结束时间 16"_s);
    selectRow(ui().songListView, 1);
    ui().deleteRowItem->trigger();
    EXPECT_EQ(description(), u"点击或拖动到歌曲中的位置"_s);
}

TEST_F(SeekStripWindow, DraggingABandEdgeMovesThatMarkAsTypingItsPositionDoes)
{
    playLoudSong();
    drag(strip(), 12, 8);
    const double moved = ui().songList->cell(0, SongListModel::Start).toDouble();
    EXPECT_NEAR(moved, 8, kLoudSongSeconds / strip()->width() * 2);
    EXPECT_EQ(ui().startEntryBox->text(), ui().songList->cell(0, SongListModel::Start));
    EXPECT_EQ(ui().startMarkLabel->text(), u"开始时间："_s + ui().songList->cell(0, SongListModel::Start));
    EXPECT_EQ(ui().songList->cell(0, SongListModel::CutLength).toDouble(), 15.5 - moved);
    EXPECT_TRUE(description().startsWith(u"开始时间 "_s + ui().songList->cell(0, SongListModel::Start)));

    // Past the end mark, as a typed position past it is: stored, and no message.
    drag(strip(), 15.5, 5);
    EXPECT_NEAR(ui().songList->cell(0, SongListModel::End).toDouble(), 5, kLoudSongSeconds / strip()->width() * 2);
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    EXPECT_TRUE(m_player.log().filter(u"seek"_s).isEmpty()) << "an edge drag does not seek";
}

TEST_F(SeekStripWindow, ADragAwayFromTheBandSeeks)
{
    playLoudSong();
    m_player.clearLog();
    drag(strip(), 3, 25);
    ASSERT_EQ(m_player.log().size(), 1) << m_player.log().join(u' ').toStdString();
    EXPECT_NEAR(m_player.log().first().section(u' ', 1).toDouble(), 25, 0.2);
    EXPECT_EQ(ui().songList->cell(0, SongListModel::Start), u"12"_s);
}

TEST_F(SeekStripWindow, ASongThatCannotBeDecodedKeepsThePlainSeekBarWithoutAWord)
{
    playLoudSong();
    session().playItem(1);
    EXPECT_FALSE(strip()->hasOverview()) << "the earlier song's overview is gone at once";
    QTest::qWait(500);
    EXPECT_FALSE(strip()->hasOverview());
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

TEST_F(SeekStripWindow, ScreenReadersSeeASliderInSeconds)
{
    playLoudSong();
    m_player.setPosition(7.5);
    ui().playerFace->seekSlider()->setValue(7500);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(strip());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Slider);
    ASSERT_NE(face->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(face->valueInterface()->currentValue().toDouble(), 7.5);
    EXPECT_DOUBLE_EQ(face->valueInterface()->maximumValue().toDouble(), kLoudSongSeconds);
    EXPECT_TRUE(face->text(QAccessible::Description).startsWith(u"开始时间 12，结束时间 15.5；快捷键："_s))
        << face->text(QAccessible::Description).toStdString();
    EXPECT_EQ(face->text(QAccessible::Name), u"播放进度"_s);
}
