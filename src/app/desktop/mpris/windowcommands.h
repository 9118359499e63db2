#pragma once

#include <functional>

namespace tunora {

// What the desktop may ask of the window itself, as plain calls: the desktop's services know
// the window only through these.
struct WindowCommands {
    // Brings the window before the user: out of the tray, out of the task bar, or to the front.
    std::function<void()> raise;
    // Ends the program as 退出 does.
    std::function<void()> quit;
};

} // namespace tunora
