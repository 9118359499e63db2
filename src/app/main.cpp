// Program start: the application and the main window, then the event loop, with the media
// engine and the session bus's media controls coming up behind the window. When the display
// or the engine cannot start, the program says so and exits 255. A launch while the program
// runs, or starts, hands its songs to that one and ends.
#include "app/window/mainwindow.h"
#include "app/desktop/qtdesktop.h"

#include "app/desktop/sessionservices.h"
#include "app/startup/commandline.h"
#include "app/startup/displayprobe.h"
#include "app/startup/startupwork.h"
#include "platform/engine/mpvplayer.h"
#include "platform/files/hostpaths.h"
#include "session/playbacksession.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <cfenv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kStartFailed = 255;

void reportEngineFailure(const QString &error)
{
    std::fprintf(stderr, "tunora: the media engine cannot start: %s\n", qPrintable(error));
    QMessageBox::critical(nullptr, QStringLiteral(u"错误"), QStringLiteral(u"无法启动媒体引擎：") + error);
}

} // namespace

int main(int argc, char **argv)
{
    std::fesetenv(FE_DFL_ENV);
    const tunora::CommandLineAnswer commandLine = tunora::handleCommandLine(argc, argv);
    if (commandLine.exitCode)
        return *commandLine.exitCode;
    tunora::DisplayConnection probeConnection;
    if (const QString problem = tunora::displayProblem(argc, argv, &probeConnection); !problem.isEmpty()) {
        std::fprintf(stderr, "tunora: %s\n", qPrintable(problem));
        return kStartFailed;
    }
    // The menus stay in the window, as its layout has them; asking the desktop for a global
    // menu bar would also cost a session-bus round trip (or a bus start) before the window shows.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    probeConnection.release(); // Qt holds its own connection now
    QApplication::setApplicationName(QStringLiteral("tunora"));
    QApplication::setOrganizationName(QStringLiteral("tunora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tunora"));
    // Numbers in texts never depend on the user's locale, and the engine requires "C".
    std::setlocale(LC_NUMERIC, "C");
    // Before the window, so that of launches however close together one builds it: the
    // program's name on the session bus, one round trip (Qt's accessibility bridge connects
    // to the bus at start anyway).
    const tunora::SessionLaunch launch = tunora::launchInThisSession(commandLine.songFiles);
    if (launch.outcome == tunora::SessionLaunch::HandedOver)
        return 0;
    if (launch.outcome == tunora::SessionLaunch::RunsAlone)
        std::fprintf(stderr, "tunora: %s; this one runs on its own, without the desktop's media controls\n",
                     qPrintable(launch.problem));

    tunora::MpvPlayer player;
    tunora::PlaybackSession session(player, tunora::programFolder());
    tunora::QtDesktop desktop;
    int exitCode = 0;
    {
        tunora::MainWindow window(session, desktop);
        desktop.setParentWindow(&window);
        // Ends before the window: an engine that comes late is never attached once it is gone.
        tunora::StartupWork work;
        QObject::connect(&work, &tunora::StartupWork::engineFailed, [](const QString &reason) {
            reportEngineFailure(reason);
            QCoreApplication::exit(kStartFailed);
        });
        // libmpv loads while the window is in use; loading it holds the dynamic loader, which
        // the first frame's drawing may need, so it starts after it. What the user does
        // meanwhile waits in the player.
        QObject::connect(&window, &tunora::MainWindow::firstShown, &work, [&] { work.loadEngine(player); });
        // The desktop's media controls find the program once its first frame is on the screen;
        // a launch meanwhile is told that they are not up yet, and asks again.
        std::unique_ptr<QObject> sessionServices;
        if (launch.outcome == tunora::SessionLaunch::OwnsName) {
            QObject::connect(&window, &tunora::MainWindow::firstShown, &window, [&] {
                sessionServices = tunora::serveSession(
                    session, {[&window] { window.raiseWindow(); }, [&window] { window.shutdown(); }});
            });
        }
        window.startUp();
        window.openSongFiles(commandLine.songFiles);
        exitCode = QApplication::exec();
    }
    return exitCode;
}
