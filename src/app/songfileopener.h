#pragma once

#include "platform/files/filepath.h"

#include <QList>
#include <QObject>

namespace tunora {

struct AppContext;
class LibraryHandlers;
class PlaybackHandlers;

// A song opened from outside the window (the command line, the file manager, the desktop's
// media controls): its folder becomes the song folder as 歌曲目录 makes one, and the song
// plays as a double-click on its entry plays it.
class SongFileOpener : public QObject {
    Q_OBJECT

public:
    SongFileOpener(AppContext &context, LibraryHandlers &library, PlaybackHandlers &playback,
                   QObject *parent = nullptr);

    // True when the song plays. Otherwise nothing changes and a message box says why; it
    // shows once the caller has returned, so a caller on the bus has its answer first.
    bool open(const FilePath &path);
    // Opens the first of the paths that opens; each one before it is reported.
    bool openFirst(const QList<FilePath> &paths);

private:
    void reportLater(const QString &text);

    AppContext &m_context;
    LibraryHandlers &m_library;
    PlaybackHandlers &m_playback;
};

} // namespace tunora
