#pragma once

#include "session/playbacksession.h"

#include "platform/settings/settingsfile.h"

#include <QString>

#include <functional>

namespace tunora {

class Desktop;
class EndMarkTimer;
class MediaPlayer;
struct MainWindowUi;

// What the window's panels work with: the session that owns the player's state, the
// controls that show it and the song list's rows, the desktop services, and the search text.
struct AppContext {
    MainWindowUi &ui;
    PlaybackSession &session;
    MediaPlayer &player;
    Desktop &desktop;
    FilePath programDirectory;
    // Ends the event loop with an exit code; tests replace it.
    std::function<void(int)> endProgram;

    // Stops playback at the current song's end mark while armed; play selected row arms it.
    EndMarkTimer *endMarkTimer = nullptr;

    // What was typed into the search box.
    QString searchText;

    // Built afresh for every access, so a hand-edited file is seen at once.
    SettingsFile settings() const { return session.settings().file(); }
};

} // namespace tunora
