// A spin arrow held by the mouse, over the real message box: a refused step opens one modal
// box and ends the press; accepted steps go on repeating while the arrow is held.
#include "support/fakeplayer.h"
#include "support/filepaths.h"

#include "app/window/mainwindow.h"
#include "app/desktop/qtdesktop.h"
#include "app/controls/spincontrol.h"
#include "library/songlistmodel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace tunora;
using namespace tunora::test;

namespace {

// Long enough for several repeats of a held arrow (100 ms apart) to fall inside.
constexpr int kBoxOpenMs = 500;

// Watches for modal message boxes and closes each with OK once it has been open a while,
// as a user reading it would. Notes every box, and the mark cell at the moment it closes.
class BoxCloser : public QObject {
public:
    BoxCloser(std::function<QString()> mark, std::function<void()> giveUp)
        : m_mark(std::move(mark)), m_giveUp(std::move(giveUp))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start(20);
    }

    QStringList texts;
    QStringList marksAtClose;

    bool boxOpen() const { return m_current != nullptr; }

private:
    void look()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box != m_current) {
            m_current = box;
            m_open.start();
            texts << box->text();
            // A flood would never end by itself: let the test finish and report it.
            if (texts.size() > 3)
                m_giveUp();
        }
        if (m_current && m_open.elapsed() >= kBoxOpenMs) {
            marksAtClose << m_mark();
            QPointer<QMessageBox> closing = m_current;
            m_current = nullptr;
            closing->button(QMessageBox::Ok)->click();
        }
    }

    std::function<QString()> m_mark;
    std::function<void()> m_giveUp;
    QTimer m_timer;
    QPointer<QMessageBox> m_current;
    QElapsedTimer m_open;
};

} // namespace

class HeldArrow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_session = std::make_unique<PlaybackSession>(m_player, FilePath(m_programDir.path()));
        m_window = std::make_unique<MainWindow>(*m_session, m_desktop);
        m_desktop.setParentWindow(m_window.get());
        m_window->context().endProgram = [](int) {};
        m_window->startUp();
        m_session->setSongs(filePaths({QStringLiteral("/music/a.mp3")}));
        m_player.setDuration(10);
        m_player.playItem(0);
        ASSERT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：a.mp3"));
    }
    MainWindowUi &ui() { return m_window->ui(); }

    QTemporaryDir m_programDir;
    FakePlayer m_player;
    QtDesktop m_desktop;
    std::unique_ptr<PlaybackSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(HeldArrow, ARefusalShowsOneBoxAndEndsThePressWhileAcceptedStepsRepeat)
{
    struct Case {
        const char *name;
        QPushButton *markButton;
        double markAt;
        SpinControl *spin;
        QToolButton *towardRefusal;
        QToolButton *awayFromRefusal;
        int column;
        QLabel *label;
        QString prefix;
        // Two accepted steps, then the refusal.
        QString lastAccepted;
        QString message;
        // What holding the other arrow reaches after some repeats.
        std::function<bool(double)> repeatedAway;
    };
    const Case cases[] = {
        {"start mark toward zero", ui().markStartButton, 0.5, ui().startSpin, ui().startSpin->downButton(),
         ui().startSpin->upButton(), SongListModel::Start, ui().startMarkLabel, QStringLiteral(u"开始时间："),
         QStringLiteral("0.1"), QStringLiteral(u"开始时间不可能为负数！请重新标记开始时间。"),
         [](double m) { return m >= 0.9 - 1e-6; }},
        {"end mark toward the song length", ui().markEndButton, 9.5, ui().endSpin, ui().endSpin->upButton(),
         ui().endSpin->downButton(), SongListModel::End, ui().endMarkLabel, QStringLiteral(u"结束时间："),
         QStringLiteral("9.9"), QStringLiteral(u"结束时间不能大于歌曲最大时间！请重新标记结束时间。"),
         [](double m) { return m <= 9.1 + 1e-6; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ui().songList->clearSongs();
        m_player.setPosition(c.markAt);
        c.markButton->click();
        ASSERT_EQ(ui().songList->rowCount(), 1);
        auto mark = [&] { return ui().songList->cell(0, c.column); };

        BoxCloser closer(mark, [&] { c.towardRefusal->setDown(false); });
        const QPoint centre = c.towardRefusal->rect().center();
        QTest::mousePress(c.towardRefusal, Qt::LeftButton, {}, centre);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !closer.texts.isEmpty() && !closer.boxOpen(); }, 10000));
        // Still held, and moved over the arrow: nothing more may happen until a new press.
        QTest::mouseMove(c.towardRefusal, centre + QPoint(1, 0));
        QTest::qWait(3 * kBoxOpenMs);
        QTest::mouseRelease(c.towardRefusal, Qt::LeftButton, {}, centre);
        QTest::qWait(300);

        EXPECT_EQ(closer.texts.join(u'|').toStdString(), c.message.toStdString());
        EXPECT_EQ(closer.marksAtClose.join(u'|').toStdString(), c.lastAccepted.toStdString());
        EXPECT_EQ(mark().toStdString(), c.lastAccepted.toStdString());
        EXPECT_EQ(c.label->text().toStdString(), QString(c.prefix + c.lastAccepted).toStdString());
        EXPECT_FALSE(c.towardRefusal->isDown());

        // The next press counts again: one click, one refusal.
        QTest::mouseClick(c.towardRefusal, Qt::LeftButton, {}, centre);
        ASSERT_TRUE(QTest::qWaitFor([&] { return closer.texts.size() == 2 && !closer.boxOpen(); }, 10000));
        QTest::qWait(300);
        EXPECT_EQ(closer.texts.size(), 2);
        EXPECT_EQ(mark().toStdString(), c.lastAccepted.toStdString());

        // The other arrow, held, keeps stepping.
        QTest::mousePress(c.awayFromRefusal, Qt::LeftButton, {}, c.awayFromRefusal->rect().center());
        EXPECT_TRUE(QTest::qWaitFor([&] { return c.repeatedAway(mark().toDouble()); }, 10000)) << mark().toStdString();
        QTest::mouseRelease(c.awayFromRefusal, Qt::LeftButton, {}, c.awayFromRefusal->rect().center());
        EXPECT_EQ(closer.texts.size(), 2);
    }
}
