#pragma once

#include "app/desktop/mpris/windowcommands.h"
#include "app/desktop/runninginstance.h"
#include "platform/files/filepath.h"

#include <QList>
#include <QObject>

#include <memory>

namespace tunora {

class PlaybackSession;

// The start of this launch in the user's session, before its window is built: one program
// per session (runninginstance.h on Linux, a named mutex on Windows). A launch that finds
// the program running hands it `songFiles` and ends.
SessionLaunch launchInThisSession(const QList<FilePath> &songFiles);

// What the program of the session offers once its window is up: the hand-over of a later
// launch's songs, and on Linux the desktop's media controls. Kept as long as the window
// lives; nullptr, with the reason on standard error, when the session cannot have them.
std::unique_ptr<QObject> serveSession(PlaybackSession &session, WindowCommands window);

} // namespace tunora
