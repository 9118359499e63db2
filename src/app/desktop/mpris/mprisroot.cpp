#include "app/desktop/mpris/mprisroot.h"

#include "app/desktop/mpris/mimetypes.h"

#include "session/playbacksession.h"

#include <QMetaObject>

namespace tunora {

MprisRoot::MprisRoot(const PlaybackSession &session, WindowCommands window, QObject *service)
    : QDBusAbstractAdaptor(service)
    , m_session(session)
    , m_window(std::move(window))
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
    return mimeTypesOf(m_session.settings().musicFormats());
}

void MprisRoot::Raise()
{
    m_window.raise();
}

void MprisRoot::Quit()
{
    // After the answer has gone out: the caller is not left waiting for a program that ended.
    QMetaObject::invokeMethod(this, m_window.quit, Qt::QueuedConnection);
}

} // namespace tunora
