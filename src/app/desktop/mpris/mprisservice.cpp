#include "app/desktop/mpris/mprisservice.h"

#include "app/desktop/mpris/mprisnames.h"
#include "app/desktop/mpris/mprisplayer.h"
#include "app/desktop/mpris/mprisroot.h"
#include "app/desktop/mpris/mprisstate.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace tunora {

using namespace mpris;

MprisService::MprisService(const QDBusConnection &bus, PlaybackSession &session, WindowCommands window)
    : m_bus(bus)
    , m_state(new MprisState(session, this))
{
    new MprisRoot(session, std::move(window), this);
    new MprisPlayer(session, *m_state, this);
    connect(m_state, &MprisState::propertiesChanged, this, &MprisService::announce);
}

MprisService::~MprisService()
{
    if (m_registered)
        m_bus.unregisterService(kServiceName);
    m_bus.unregisterObject(kObjectPath);
}

std::unique_ptr<MprisService> MprisService::registerOn(const QDBusConnection &bus, PlaybackSession &session,
                                                      WindowCommands window, QString *whyNot)
{
    const auto refused = [whyNot](const QString &why) {
        if (whyNot)
            *whyNot = why;
        return nullptr;
    };
    if (!bus.isConnected())
        return refused(QStringLiteral("no session bus"));
    std::unique_ptr<MprisService> service(new MprisService(bus, session, std::move(window)));
    // The objects first: a desktop that sees the name appear asks them at once.
    if (!service->m_bus.registerObject(kObjectPath, service.get()))
        return refused(QStringLiteral("the path %1 is taken").arg(kObjectPath));
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> claim = service->m_bus.interface()->registerService(
        kServiceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!claim.isValid())
        return refused(QStringLiteral("the session bus refused the name %1 (%2)").arg(kServiceName, claim.error().message()));
    if (claim.value() != QDBusConnectionInterface::ServiceRegistered)
        return refused(QStringLiteral("another program holds the name %1").arg(kServiceName));
    service->m_registered = true;
    return service;
}

void MprisService::announce(const QVariantMap &changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

} // namespace tunora
