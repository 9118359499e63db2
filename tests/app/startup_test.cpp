#include "support/windowfixture.h"

#include "app/window/about.h"
#include "app/controls/artwork.h"
#include "app/controls/menuskin.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStringListModel>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

using namespace tunora;
using namespace tunora::test;

namespace {

bool showsCheckMark(const QAction *item)
{
    return MenuSkin::itemIcon(item) == int(MenuIcon::Check);
}

int trayIconCount(const MainWindow &window)
{
    int count = 0;
    for (const QSystemTrayIcon *tray : window.findChildren<QSystemTrayIcon *>())
        count += tray->isVisible() ? 1 : 0;
    return count;
}

} // namespace

class StartUp : public WindowFixture {};

TEST_F(StartUp, WithoutSettingsFileShowsWindowInLoopModeAndWritesOnlyThePlayMode)
{
    start();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(ui().songFiles->rowCount(), 0);
    EXPECT_EQ(ui().songList->rowCount(), 0);
    EXPECT_TRUE(ui().loopItem->isChecked());
    EXPECT_TRUE(showsCheckMark(ui().loopItem));
    for (const QAction *off : {ui().randomItem, ui().startMinimisedItem, ui().autoPlayItem}) {
        SCOPED_TRACE(off->text().toStdString());
        EXPECT_FALSE(off->isChecked());
        EXPECT_FALSE(showsCheckMark(off));
    }
    EXPECT_EQ(settingsLines(), QStringLiteral(u"[播放方式]\n参数=循环\n"));
    EXPECT_EQ(trayIconCount(window()), 0);
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(StartUp, PlayModeIsRandomOnlyForTheExactWord)
{
    struct Case { QString stored; bool random; QString written; };
    const Case cases[] = {
        {QStringLiteral(u"随机"), true, QStringLiteral(u"随机")},
        {QStringLiteral(u"random"), false, QStringLiteral(u"循环")},
        {QStringLiteral(u"循环"), false, QStringLiteral(u"循环")},
        {QString(), false, QStringLiteral(u"循环")},
        // Windows drops one pair of quotes around a value; the quotes stay in the file.
        {QStringLiteral(u"\"随机\""), true, QStringLiteral(u"\"随机\"")},
        {QStringLiteral(u"'随机'"), true, QStringLiteral(u"'随机'")},
        {QStringLiteral(u"\" 随机\""), false, QStringLiteral(u"\"循环\"")},
        {QStringLiteral(u"\"随机'"), false, QStringLiteral(u"循环")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        writeSettingsGbk(QStringLiteral(u"[播放方式]\r\n参数=") + c.stored + QStringLiteral("\r\n"));
        start();
        EXPECT_EQ(ui().randomItem->isChecked(), c.random);
        EXPECT_EQ(ui().loopItem->isChecked(), !c.random);
        EXPECT_EQ(showsCheckMark(ui().randomItem), c.random);
        EXPECT_EQ(showsCheckMark(ui().loopItem), !c.random);
        EXPECT_EQ(settingsLines(), QStringLiteral(u"[播放方式]\n参数=") + c.written + u'\n');
    }
}

TEST_F(StartUp, OnlyTheExactYesStartsInTheTray)
{
    const QString values[] = {QStringLiteral(u"否"), QStringLiteral("1"), QStringLiteral("yes"), QString()};
    for (const QString &value : values) {
        SCOPED_TRACE(value.toStdString());
        writeSettingsGbk(QStringLiteral(u"[最小化]\r\n参数=") + value + QStringLiteral("\r\n"));
        start();
        QCoreApplication::processEvents();
        EXPECT_TRUE(window().isVisible());
        EXPECT_FALSE(ui().startMinimisedItem->isChecked());
        EXPECT_EQ(trayIconCount(window()), 0);
    }
}

TEST_F(StartUp, StartMinimisedHidesToTheTrayWithCaptionAsTooltip)
{
    writeSettingsGbk(QStringLiteral(u"[最小化]\r\n参数=是\r\n"));
    start();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window().isVisible());
    ASSERT_NE(window().trayIcon(), nullptr);
    EXPECT_TRUE(window().trayIcon()->isVisible());
    EXPECT_EQ(window().trayIcon()->toolTip(), QStringLiteral(u"Tunora[原Clipvane] Ver 2.3 —Wenlo"));
    // Never shown, so it has its icon without a first frame.
    EXPECT_FALSE(window().trayIcon()->icon().isNull());
    EXPECT_TRUE(ui().startMinimisedItem->isChecked());
    EXPECT_TRUE(showsCheckMark(ui().startMinimisedItem));
    EXPECT_TRUE(m_player.log().isEmpty());

    window().restoreFromTray();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(trayIconCount(window()), 0);
}

TEST_F(StartUp, AutoPlayStartsPlaybackEvenWhenHiddenInTheTray)
{
    writeSettingsGbk(QStringLiteral(u"[最小化]\r\n参数=是\r\n[自动播放]\r\n参数=自动\r\n"));
    start();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(ui().autoPlayItem->isChecked());
    EXPECT_TRUE(showsCheckMark(ui().autoPlayItem));
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("next"), QStringLiteral("play")}));
}

TEST_F(StartUp, WithoutTrayStartMinimisedOnlyMinimises)
{
    m_desktop.trayAvailable = false;
    writeSettingsGbk(QStringLiteral(u"[最小化]\r\n参数=是\r\n"));
    start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window().isMinimized());
    EXPECT_EQ(window().trayIcon(), nullptr);
    EXPECT_FALSE(window().windowIcon().isNull()); // the task bar shows it
}

// Where a window cannot open minimised (Wayland), it opens and then minimises once its first
// frame is up: into the tray where there is one, else it stays minimised.
TEST_F(StartUp, StartMinimisedWhereTheStateIsIgnoredBeforeTheFirstShowMinimisesAfterIt)
{
    m_desktop.waylandLike = true;
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray ? "tray" : "no tray");
        m_desktop.trayAvailable = tray;
        writeSettingsGbk(QStringLiteral(u"[最小化]\r\n参数=是\r\n[自动播放]\r\n参数=自动\r\n"));
        int shown = 0;
        start([&](MainWindow &w) { QObject::connect(&w, &MainWindow::firstShown, [&] { ++shown; }); });
        EXPECT_TRUE(window().isVisible());
        EXPECT_FALSE(window().isMinimized()) << "minimised before the first frame";
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        QTRY_COMPARE(shown, 1);
        QCoreApplication::processEvents();
        EXPECT_TRUE(window().isMinimized());
        EXPECT_EQ(window().isVisible(), !tray);
        EXPECT_EQ(trayIconCount(window()), tray ? 1 : 0);
        EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("next"), QStringLiteral("play")}));
        m_player.clearLog();
        if (tray) {
            window().restoreFromTray();
            EXPECT_TRUE(window().isVisible());
            EXPECT_FALSE(window().isMinimized());
            EXPECT_EQ(trayIconCount(window()), 0);
        }
    }
}

// What waits for the first frame (the engine's loading, the window icon) runs once: after
// that frame, or a moment after start-up when the screen never draws the window.
TEST_F(StartUp, WorkAfterTheFirstFrameRunsOnceWhenItIsDrawnOrSoonWithoutIt)
{
    for (const bool drawn : {true, false}) {
        SCOPED_TRACE(drawn ? "drawn" : "never drawn");
        int shown = 0;
        start([&](MainWindow &w) {
            QObject::connect(&w, &MainWindow::firstShown, [&] { ++shown; });
            // As a window mapped on another desktop: shown, but never drawn.
            w.setAttribute(Qt::WA_DontShowOnScreen, !drawn);
        });
        EXPECT_EQ(shown, 0);
        EXPECT_TRUE(window().windowIcon().isNull());
        if (drawn) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&window())); // and drawn at that
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(shown, drawn ? 1 : 0);
        QTest::qWait(400);
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(window().windowIcon().isNull());
        window().grab();
        QTest::qWait(10);
        EXPECT_EQ(shown, 1);
    }
}

TEST_F(StartUp, MinimiseRestoreMinimiseExitKeepsAtMostOneTrayIcon)
{
    start();
    for (int round = 0; round < 2; ++round) {
        window().setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        EXPECT_FALSE(window().isVisible());
        EXPECT_EQ(trayIconCount(window()), 1);
        if (round == 0) {
            window().restoreFromTray();
            EXPECT_TRUE(window().isVisible());
            EXPECT_EQ(trayIconCount(window()), 0);
        }
    }
    ui().quitItem->trigger();
    EXPECT_EQ(trayIconCount(window()), 0);
    EXPECT_EQ(m_exitCodes, QList<int>({0}));
}

TEST_F(StartUp, ClosingTheWindowEndsTheProgram)
{
    start();
    window().close();
    EXPECT_EQ(m_exitCodes, QList<int>({0}));
}

TEST_F(StartUp, TheBannerShowsTheAboutBoxWithTheVersionTheSettingsFileAndTheReadme)
{
    start();
    QTest::mousePress(ui().bannerPicture, Qt::LeftButton);
    ASSERT_EQ(m_desktop.messages.size(), 1);
    const FakeDesktop::Message about = m_desktop.messages.first();
    EXPECT_EQ(about.title, QStringLiteral(u"关于 Tunora"));
    EXPECT_EQ(about.style, MessageStyle::Information);
    EXPECT_TRUE(about.text.contains(QStringLiteral(u"版本 2.3"))) << about.text.toStdString();
    EXPECT_TRUE(about.text.contains(QStringLiteral(u"设置文件：") + settingsPath())) << about.text.toStdString();
    // A program run from its build folder names the source tree's README.
    const qsizetype readme = about.text.indexOf(QStringLiteral(u"使用说明："));
    ASSERT_GE(readme, 0) << about.text.toStdString();
    const QString readmePath = about.text.mid(readme + 5).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(readmePath.endsWith(QStringLiteral("/README.md")) && QFileInfo(readmePath).isFile())
        << readmePath.toStdString();
    QTest::mousePress(ui().bannerPicture, Qt::RightButton);
    EXPECT_EQ(m_desktop.messages.size(), 1);
}

TEST_F(StartUp, TheInstalledReadmeComesFirst)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/tunora")));
    QFile readme(prefix.filePath(QStringLiteral("share/doc/tunora/README.md")));
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.close();
    EXPECT_EQ(readmeFile(FilePath(prefix.filePath(QStringLiteral("bin")))).text(), readme.fileName());
}
