#pragma once

#include "app/desktop/mpris/windowcommands.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

#include <memory>

namespace tunora {

class MprisState;
class PlaybackSession;

// The program on the session bus as a media player the desktop controls (its media keys,
// its panel's player, playerctl), and the one a second launch hands its songs to (through
// the program's own name, which it holds from its start). The object on the bus: its
// adaptors answer the calls, with the call they answer kept here.
class MprisService : public QObject, public QDBusContext {
    Q_OBJECT

public:
    // Registered on `bus`, then the media-player name taken; or nullptr when that is not
    // possible (the name taken by another program, the bus refusing it), with `whyNot` said.
    // The program then runs as it would without.
    static std::unique_ptr<MprisService> registerOn(const QDBusConnection &bus, PlaybackSession &session,
                                                    WindowCommands window, QString *whyNot = nullptr);
    ~MprisService() override;

private:
    MprisService(const QDBusConnection &bus, PlaybackSession &session, WindowCommands window);
    void announce(const QVariantMap &changed);

    QDBusConnection m_bus;
    MprisState *m_state;
    bool m_registered = false;
};

} // namespace tunora
