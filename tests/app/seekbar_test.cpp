// The seek bar of the player's face, dragged or clicked with the mouse as a user would,
// while the end-mark timer is armed.
#include "support/mouseevents.h"
#include "support/windowfixture.h"
#include "support/filepaths.h"

#include "library/songlistmodel.h"
#include "marking/endmarktimer.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStringListModel>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <ostream>

using namespace tunora;
using namespace tunora::test;

namespace {

// Presses the slider's handle and lets it go at `fraction` of the groove's width.
void dragHandle(QSlider *slider, double fraction)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const QPoint to(int(slider->width() * fraction), handle.center().y());
    sendMouse(slider, QEvent::MouseButtonPress, handle.center(), Qt::LeftButton);
    sendMouse(slider, QEvent::MouseMove, to, Qt::LeftButton);
    sendMouse(slider, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

// Clicks the groove at `fraction` of its width, away from the handle.
void clickGroove(QSlider *slider, double fraction)
{
    const QPoint at(int(slider->width() * fraction), slider->height() / 2);
    sendMouse(slider, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(slider, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

struct Gesture {
    const char *name;
    void (*to)(QSlider *slider, double fraction);
};

void PrintTo(const Gesture &gesture, std::ostream *out)
{
    *out << gesture.name;
}

} // namespace

class SeekBar : public WindowFixture, public ::testing::WithParamInterface<Gesture> {
protected:
    void SetUp() override
    {
        start();
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        session().setSongs(filePaths({QStringLiteral("/music/a.mp3")}));
        m_player.setDuration(200);
        ui().songList->insertSong(0, QStringLiteral("a.mp3"));
        ui().songList->setCell(0, SongListModel::End, QStringLiteral("60"));
        ui().songListView->selectionModel()->setCurrentIndex(
            ui().songList->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    bool stopped() const { return m_player.log().contains(QStringLiteral("stop")); }
    QSlider *seekBar() { return ui().playerFace->seekSlider(); }
};

TEST_P(SeekBar, AJumpPastTheEndMarkStopsAtTheNextRoundOfEvents)
{
    // The end preview plays from 57 s; the fake's position stands, so only the coarse poll
    // is planned from there.
    ui().endPreviewButton->click();
    QTest::qWait(5);
    ASSERT_FALSE(stopped());
    ASSERT_EQ(seekBar()->maximum(), 200000);
    m_player.clearLog();

    // To 60% of the bar: about 120 s, well past the end mark.
    GetParam().to(seekBar(), 0.6);
    ASSERT_EQ(m_player.log().size(), 1);
    const double target = m_player.log().first().section(u' ', 1).toDouble();
    EXPECT_NEAR(target, 120.0, 10.0) << m_player.log().first().toStdString();

    // No poll has come due in between: the seek itself set off the check.
    QCoreApplication::processEvents();
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(window().context().endMarkTimer->isArmed());
}

INSTANTIATE_TEST_SUITE_P(Mouse, SeekBar,
                         ::testing::Values(Gesture{"DragHandle", dragHandle}, Gesture{"ClickGroove", clickGroove}),
                         [](const ::testing::TestParamInfo<Gesture> &gesture) { return std::string(gesture.param.name); });
