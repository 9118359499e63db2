// Program start: the application and the main window, then the event loop, with the media
// engine coming up behind the window. When the display or the engine cannot start, the
// program says so and exits 255.
#include "mainwindow.h"
#include "qtdesktop.h"

#include "app/startup/commandline.h"
#include "app/startup/displayprobe.h"
#include "platform/engine/engineloader.h"
#include "app/startup/fontwarmup.h"
#include "platform/engine/mediaplayerproxy.h"
#include "platform/files/hostpaths.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <cfenv>
#include <clocale>
#include <cstdio>
#include <cstdlib>

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
    if (const std::optional<int> answered = tunora::handleCommandLine(argc, argv))
        return *answered;
    tunora::DisplayConnection probeConnection;
    if (const QString problem = tunora::displayProblem(argc, argv, &probeConnection); !problem.isEmpty()) {
        std::fprintf(stderr, "tunora: %s\n", qPrintable(problem));
        return kStartFailed;
    }
    // The menus stay in the window, as its layout has them; asking the desktop for a global
    // menu bar would also cost a session-bus round trip (or a bus start) before the window shows.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    tunora::FontConfigWarmup fonts;
    QApplication app(argc, argv);
    probeConnection.release(); // Qt holds its own connection now
    fonts.wait();
    QApplication::setApplicationName(QStringLiteral("tunora"));
    QApplication::setOrganizationName(QStringLiteral("tunora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tunora"));
    // Numbers in texts never depend on the user's locale, and the engine requires "C".
    std::setlocale(LC_NUMERIC, "C");

    // Only a missing module is known this early; the engine's own failures come after the
    // window appeared.
    QString error;
    const tunora::FilePath module = tunora::EngineLoader::findModule(tunora::programFolder(), &error);
    if (module.isEmpty()) {
        reportEngineFailure(error);
        return kStartFailed;
    }
    tunora::MediaPlayerProxy player;
    tunora::EngineLoader engine(player);
    QObject::connect(&engine, &tunora::EngineLoader::failed, [](const QString &reason) {
        reportEngineFailure(reason);
        QCoreApplication::exit(kStartFailed);
    });

    tunora::QtDesktop desktop;
    int exitCode = 0;
    {
        tunora::MainWindow window(player, desktop, tunora::programFolder());
        desktop.setParentWindow(&window);
        // The engine's libraries load while the window is in use; loading them holds the
        // dynamic loader, which the first frame's drawing may need, so they start after it.
        // Commands given until the engine is up wait in the proxy, in order.
        QObject::connect(&window, &tunora::MainWindow::firstShown, &engine, [&] { engine.start(module); });
        window.startUp();
        exitCode = QApplication::exec();
    }
    return exitCode;
}
