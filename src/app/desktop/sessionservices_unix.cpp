#include "app/desktop/sessionservices.h"

#include "app/desktop/mpris/mprisservice.h"

#include <QDBusConnection>

#include <cstdio>

namespace tunora {

SessionLaunch launchInThisSession(const QList<FilePath> &songFiles)
{
    return launchInSession(QDBusConnection::sessionBus(), songFiles);
}

std::unique_ptr<QObject> serveSession(PlaybackSession &session, WindowCommands window)
{
    // The media controls on the session bus are also where a later launch hands its songs.
    QString whyNot;
    std::unique_ptr<MprisService> mpris =
        MprisService::registerOn(QDBusConnection::sessionBus(), session, std::move(window), &whyNot);
    if (!mpris)
        std::fprintf(stderr, "tunora: the desktop's media controls are off: %s\n", qPrintable(whyNot));
    return mpris;
}

} // namespace tunora
