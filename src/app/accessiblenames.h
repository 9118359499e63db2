#pragma once

namespace tunora {

struct MainWindowUi;

// Names (and, where the name alone does not say enough, descriptions) that screen readers
// announce for the window's controls; what the window shows is left as it is.
void nameControlsForScreenReaders(MainWindowUi &ui);

} // namespace tunora
