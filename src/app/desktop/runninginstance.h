#pragma once

#include "platform/files/filepath.h"

#include <QList>
#include <QString>

class QDBusConnection;

namespace tunora {

// One program per session. A launch takes the program's own name on the session bus before
// it builds its window; the bus gives it to exactly one of any launches however close
// together. A launch that finds it taken hands its songs to the holder (opened as there, the
// first that opens plays), brings that one's window up, and ends.
//
// The desktop's media-player name is another one, taken once the media controls answer: a
// desktop that sees that name asks them at once and drops a player that cannot answer.
struct SessionLaunch {
    enum Outcome {
        OwnsName,   // this launch is the program of the session
        HandedOver, // the running program took the songs; this launch ends
        RunsAlone,  // no name to be had; `problem` says why
    };
    Outcome outcome = RunsAlone;
    QString problem;
};

// How long the running program has to answer. Until its window is up it answers that it
// has nothing there yet, and it is asked again; long enough for one busy with a large folder.
inline constexpr int kAnswerTimeoutMs = 10'000;

// One round trip to the bus when this launch gets the name; the start of every program
// waits for it.
SessionLaunch launchInSession(const QDBusConnection &bus, const QList<FilePath> &absolutePaths,
                              int answerTimeoutMs = kAnswerTimeoutMs);

} // namespace tunora
