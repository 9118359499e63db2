#pragma once

class QAbstractItemView;

namespace tunora {

// Lets `list` raise doubleClicked for the left mouse button only. A double-click of any
// other button reaches the list as a plain second press of that button.
void acceptOnlyLeftDoubleClicks(QAbstractItemView *list);

} // namespace tunora
