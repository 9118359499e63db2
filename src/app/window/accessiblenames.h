#pragma once

#include <QString>

class QWidget;

namespace tunora {

struct MainWindowUi;

// Names (and, where the name alone does not say enough, descriptions) that screen readers
// announce for the window's controls; what the window shows is left as it is.
void nameControlsForScreenReaders(MainWindowUi &ui);

// A tooltip followed by the keys that do the same ("播放（快捷键：Space）").
QString tipWithKeys(const QString &tip, const QString &keys);
// Shows the keys that work `control` after its tooltip and its screen-reader description.
void announceKeys(QWidget *control, const QString &keys);

} // namespace tunora
