#pragma once

#include "platform/settings/settingsfile.h"

#include <QString>

#include <functional>

namespace tunora {

class Desktop;
class EndMarkTimer;
class MediaPlayer;
struct MainWindowUi;

// What every handler of the main window works with: the controls (which hold the state),
// the player, the desktop services, and the two program-wide texts.
struct AppContext {
    MainWindowUi &ui;
    MediaPlayer &player;
    Desktop &desktop;
    FilePath programDirectory;
    // Ends the event loop with an exit code; tests replace it.
    std::function<void(int)> endProgram;

    // Stops playback at the current song's end mark while armed; play selected row arms it.
    EndMarkTimer *endMarkTimer = nullptr;

    // The program-wide texts: the song folder (empty: none chosen) and the search text.
    QString songFolder;
    QString searchText;

    // Built afresh for every access, so a hand-edited file is seen at once.
    SettingsFile settings() const { return SettingsFile(programDirectory); }
};

} // namespace tunora
