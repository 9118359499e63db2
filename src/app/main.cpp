// Program start: the application, the media engine and the main window, then the event
// loop. When the display or the engine cannot start, the program says so and exits 255.
#include "mainwindow.h"
#include "qtdesktop.h"

#include "platform/commandline.h"
#include "platform/displayprobe.h"
#include "platform/mpvplayer.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <cfenv>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kStartFailed = 255;

} // namespace

int main(int argc, char **argv)
{
    std::fesetenv(FE_DFL_ENV);
    if (const std::optional<int> answered = tunora::handleCommandLine(argc, argv))
        return *answered;
    if (const QString problem = tunora::displayProblem(argc, argv); !problem.isEmpty()) {
        std::fprintf(stderr, "tunora: %s\n", qPrintable(problem));
        return kStartFailed;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tunora"));
    QApplication::setOrganizationName(QStringLiteral("tunora"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tunora"));
    // Numbers in texts never depend on the user's locale, and the engine requires "C".
    std::setlocale(LC_NUMERIC, "C");

    QString error;
    std::unique_ptr<tunora::MpvPlayer> player = tunora::MpvPlayer::create(&error);
    if (!player) {
        const QString text = QStringLiteral(u"无法启动媒体引擎：") + error;
        std::fprintf(stderr, "tunora: the media engine cannot start: %s\n", qPrintable(error));
        QMessageBox::critical(nullptr, QStringLiteral(u"错误"), text);
        return kStartFailed;
    }

    tunora::QtDesktop desktop;
    int exitCode = 0;
    {
        tunora::MainWindow window(*player, desktop, QCoreApplication::applicationDirPath());
        desktop.setParentWindow(&window);
        window.startUp();
        exitCode = QApplication::exec();
    }
    player.reset();
    return exitCode;
}
