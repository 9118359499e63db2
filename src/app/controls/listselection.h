#pragma once

class QAbstractItemView;

namespace tunora {

// The selected row of a single-selection list, or -1 when none is selected.
int selectedRow(const QAbstractItemView *list);

// Makes `row` the selected row and scrolls it into view. The list's own signals for user
// actions (double-click) are not raised, so selecting never starts playback.
void selectRow(QAbstractItemView *list, int row);

} // namespace tunora
