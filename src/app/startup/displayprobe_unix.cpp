#include "displayprobe.h"

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <chrono>
#include <thread>

namespace tunora {

namespace {

// The value of a Qt command-line option ("-platform xcb"), or nothing when it is not given.
QByteArray optionValue(int argc, const char *const *argv, const char *option)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], option) == 0)
            return QByteArray(argv[i + 1]);
    }
    return {};
}

// Whether Qt will start its xcb plugin and nothing else: a list such as "xcb;offscreen" has
// a fallback that Qt tries by itself, and a Wayland session makes Qt choose Wayland.
bool usesOnlyXcb(const QByteArray &platform)
{
    if (!platform.isEmpty())
        return platform == "xcb" || platform.startsWith("xcb:");
    return !(qgetenv("XDG_SESSION_TYPE") == "wayland" && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
}

QString connectionProblem(int error)
{
    switch (error) {
    case XCB_CONN_CLOSED_PARSE_ERR:
        return QStringLiteral("it is not a display name");
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return QStringLiteral("it has no such screen");
    default:
        return QStringLiteral("no X server answers there, or it refused the connection");
    }
}

// A bare server that another client just left is resetting and refuses connections for a
// moment; a server that is not there or refuses us keeps doing so.
constexpr int kConnectAttempts = 4;
constexpr std::chrono::milliseconds kResetWait{50};

} // namespace

void DisplayConnection::release()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

QString displayProblem(int argc, const char *const *argv, DisplayConnection *keepOpen)
{
    QByteArray platform = optionValue(argc, argv, "-platform");
    if (platform.isEmpty())
        platform = qgetenv("QT_QPA_PLATFORM");
    if (!usesOnlyXcb(platform))
        return {};

    QByteArray display = optionValue(argc, argv, "-display");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("no display to show the window on (DISPLAY is not set).");

    int error = 0;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(kResetWait);
        xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
        error = xcb_connection_has_error(connection);
        if (error == 0 && keepOpen) {
            keepOpen->release();
            keepOpen->m_connection = connection;
            return {};
        }
        xcb_disconnect(connection);
        if (error == 0)
            return {};
        if (error == XCB_CONN_CLOSED_PARSE_ERR || error == XCB_CONN_CLOSED_INVALID_SCREEN)
            break;
    }
    return QStringLiteral("cannot open the X display \"%1\": %2.")
        .arg(QString::fromLocal8Bit(display), connectionProblem(error));
}

} // namespace tunora
