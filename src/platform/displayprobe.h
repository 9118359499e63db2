#pragma once

#include <QString>

namespace tunora {

// Qt aborts the process when its platform plugin cannot reach the display, so the program
// asks first. Returns why the X display that Qt would use cannot be opened (unset, nothing
// listening, connection refused), or empty text when it can be opened or when Qt is set to
// use another platform, which then reports its own failure.
QString displayProblem(int argc, const char *const *argv);

} // namespace tunora
