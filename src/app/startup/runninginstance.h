#pragma once

#include "platform/files/filepath.h"

#include <QList>

class QDBusConnection;

namespace tunora {

// One program per session: a launch while the program already runs on the session bus
// hands its songs to the running one (opened as there, the first that opens plays), brings
// that one's window up, and ends. True when a running program answered; false when none
// runs there, or none answers (then this launch starts as usual).
bool handedToRunningProgram(const QDBusConnection &bus, const QList<FilePath> &absolutePaths);

} // namespace tunora
