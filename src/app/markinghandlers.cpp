#include "markinghandlers.h"

#include "appcontext.h"
#include "mainwindowui.h"

#include <QLabel>

namespace tunora {

QString currentSongName(const MainWindowUi &ui)
{
    // The prefix is removed by its length, whatever the caption starts with.
    return ui.标签1->text().mid(ui_text::kSongNamePrefix.size());
}

} // namespace tunora
