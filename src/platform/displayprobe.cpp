#include "displayprobe.h"

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

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

} // namespace

QString displayProblem(int argc, const char *const *argv)
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

    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0)
        return {};
    return QStringLiteral("cannot open the X display \"%1\": %2.")
        .arg(QString::fromLocal8Bit(display), connectionProblem(error));
}

} // namespace tunora
