#include "mprisroot.h"

#include "mimetypes.h"

#include "app/mainwindow.h"
#include "app/settingskeys.h"

namespace tunora {

using namespace settings_keys;

MprisRoot::MprisRoot(MainWindow &window, QObject *service)
    : QDBusAbstractAdaptor(service)
    , m_window(window)
{
}

QString MprisRoot::identity() const
{
    return QStringLiteral("Tunora");
}

QString MprisRoot::desktopEntry() const
{
    return QStringLiteral("tunora");
}

QStringList MprisRoot::supportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRoot::supportedMimeTypes() const
{
    return mimeTypesOfFormat(m_window.context().settings().read(kFormatSection, kFormatKey));
}

void MprisRoot::Raise()
{
    m_window.raiseWindow();
}

void MprisRoot::Quit()
{
    // After the answer has gone out: the caller is not left waiting for a program that ended.
    QMetaObject::invokeMethod(&m_window, &MainWindow::shutdown, Qt::QueuedConnection);
}

} // namespace tunora
