#include "displayprobe.h"

namespace tunora {

// A Windows program always has its desktop: there is no display to reach first, and Qt's
// windows platform does not abort the way its xcb one does.
void DisplayConnection::release() {}

QString displayProblem(int, const char *const *, DisplayConnection *)
{
    return {};
}

} // namespace tunora
