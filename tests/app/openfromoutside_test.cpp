#include "support/songfolder.h"
#include "support/filepaths.h"
#include "support/windowfixture.h"

#include "app/window/mainwindowui.h"
#include "app/desktop/mpris/mprisnames.h"
#include "app/desktop/mpris/mprisservice.h"
#include "app/startup/privatebus.h"
#include "app/desktop/runninginstance.h"
#include "platform/files/filenames.h"
#include "platform/tasks/poolhandover.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QTest>
#include <QtConcurrent>

using namespace tunora;
using namespace tunora::test;

// Songs opened from outside the window: the saved song folder is another one.
class OpenFromOutside : public WindowFixture {
protected:
    SongFolder saved;
    SongFolder songs;

    void SetUp() override
    {
        saved.addFiles({QStringLiteral("old.mp3")});
        songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("notes.wav")});
        writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + saved.path()
                         + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n"));
        start();
        m_player.clearLog();
    }

    int selectedEntry() const
    {
        const QModelIndexList rows = m_window->ui().songFileList->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }

    // Message boxes show once the opening has returned.
    QList<FakeDesktop::Message> messagesShown()
    {
        QCoreApplication::processEvents();
        return m_desktop.messages;
    }
};

TEST_F(OpenFromOutside, TheSongsFolderBecomesTheSongFolderAndTheSongPlaysAsADoubleClickPlaysIt)
{
    ASSERT_TRUE(window().openSongFiles({FilePath(songs.path() + QStringLiteral("a.mp3"))}));

    // As 歌曲目录 sets a folder: held, shown, stored and listed.
    EXPECT_EQ(session().songFolder().text(), songs.path());
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + songs.path());
    EXPECT_TRUE(settingsLines().contains(QStringLiteral(u"路径=") + songs.path() + QStringLiteral("\n")))
        << settingsLines().toStdString();
    EXPECT_EQ(ui().songFiles->stringList(), QStringList({QStringLiteral("b.mp3"), QStringLiteral("a.mp3")}));
    EXPECT_EQ(m_player.playlist(), filePaths({songs.path() + QStringLiteral("b.mp3"), songs.path() + QStringLiteral("a.mp3")}));
    // As a double-click on its entry: selected, its playlist item played, named in songNameLabel.
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 1")}));
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：a.mp3"));
    EXPECT_TRUE(messagesShown().isEmpty());
}

TEST_F(OpenFromOutside, WhatCannotPlayIsReportedAndChangesNothing)
{
    songs.addFolder(QStringLiteral("album.mp3"));
    struct Case {
        const char *what;
        QString path;
        QString messageHas;
    };
    const Case cases[] = {
        {"no such file", songs.path() + QStringLiteral("missing.mp3"), QStringLiteral(u"不存在或不可读取")},
        {"a folder named like a song", songs.path() + QStringLiteral("album.mp3"), QStringLiteral(u"不存在或不可读取")},
        {"a kind the format does not list", songs.path() + QStringLiteral("notes.wav"), QStringLiteral(u"音乐格式（mp3）")},
        {"an empty path", QString(), QStringLiteral(u"不存在或不可读取")},
    };
    const QString settingsBefore = settingsLines();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_desktop.messages.clear();
        EXPECT_FALSE(window().openSongFiles({FilePath(c.path)}));
        EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
        EXPECT_EQ(session().songFolder().text(), saved.path());
        EXPECT_EQ(ui().songFiles->stringList(), QStringList({QStringLiteral("old.mp3")}));
        EXPECT_EQ(settingsLines(), settingsBefore);
        const QList<FakeDesktop::Message> shown = messagesShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].title, QStringLiteral(u"错误"));
        EXPECT_EQ(shown[0].style, MessageStyle::Error);
        EXPECT_TRUE(shown[0].text.contains(c.path)) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains(c.messageHas)) << shown[0].text.toStdString();
    }
}

TEST_F(OpenFromOutside, TheFirstSongThatOpensPlaysAndThoseBeforeItAreReported)
{
    const QString missing = songs.path() + QStringLiteral("missing.mp3");
    ASSERT_TRUE(window().openSongFiles({FilePath(missing), FilePath(songs.path() + QStringLiteral("b.mp3")), FilePath(songs.path() + QStringLiteral("a.mp3"))}));
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 0")}));
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：b.mp3"));
    const QList<FakeDesktop::Message> shown = messagesShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains(missing));
}

TEST_F(OpenFromOutside, ANameThatIsNotUtf8OpensByteForByte)
{
    const QString name = decodeFileName(QByteArray("\xb8\xe8.mp3")); // GBK 歌
    songs.addFile(name);
    ASSERT_TRUE(window().openSongFiles({FilePath(songs.path() + name)}));
    ASSERT_GE(selectedEntry(), 0);
    EXPECT_EQ(ui().songFiles->stringList().at(selectedEntry()), name);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem %1").arg(selectedEntry())}));
}

// A launch while this program starts: the program holds its name on the session bus from
// before its window, and its media controls come up with the window's first frame.
TEST_F(OpenFromOutside, ASongOfALaunchWhileTheWindowIsBuiltPlaysOnceTheWindowIsUp)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "dbus-daemon did not start (is it installed?)";
    // It starts in the tray.
    window().setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    ASSERT_FALSE(window().isVisible());
    const QDBusConnection self = bus.connect(QStringLiteral("self"));
    ASSERT_EQ(launchInSession(self, {}).outcome, SessionLaunch::OwnsName);
    const QDBusConnection other = bus.connect(QStringLiteral("other"));
    QFuture<SessionLaunch> launch = runOnPool(*QThreadPool::globalInstance(),
        [&] { return launchInSession(other, {FilePath(songs.path() + QStringLiteral("a.mp3"))}); });
    QTest::qWait(300);
    EXPECT_FALSE(launch.isFinished()) << "the launch did not wait for the window";

    QString whyNot;
    const std::unique_ptr<MprisService> mpris = MprisService::registerOn(self, session(), windowCommands(), &whyNot);
    ASSERT_TRUE(mpris) << whyNot.toStdString();
    for (QDeadlineTimer limit(15'000); !launch.isFinished() && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(launch.isFinished());
    EXPECT_EQ(launch.result().outcome, SessionLaunch::HandedOver) << launch.result().problem.toStdString();
    EXPECT_EQ(session().songFolder().text(), songs.path());
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 1")}));
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(window().isMinimized());
    // The desktop finds it by the media-player name, there only once the controls answer.
    EXPECT_EQ(self.interface()->serviceOwner(mpris::kServiceName).value(), self.baseService());
}

TEST_F(OpenFromOutside, MediaControlsThatCannotBeOnTheBusSayWhy)
{
    PrivateBus bus;
    if (!bus.isUp())
        GTEST_SKIP() << "dbus-daemon did not start (is it installed?)";
    const QDBusConnection first = bus.connect(QStringLiteral("first"));
    const std::unique_ptr<MprisService> mpris = MprisService::registerOn(first, session(), windowCommands());
    ASSERT_TRUE(mpris);

    QString whyNot;
    EXPECT_FALSE(MprisService::registerOn(bus.connect(QStringLiteral("second")), session(), windowCommands(), &whyNot));
    EXPECT_EQ(whyNot, QStringLiteral("another program holds the name ") + mpris::kServiceName);
    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    EXPECT_FALSE(MprisService::registerOn(none, session(), windowCommands(), &whyNot));
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
    EXPECT_EQ(whyNot, QStringLiteral("no session bus"));
}
