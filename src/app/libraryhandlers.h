#pragma once

#include "platform/files/filepath.h"

#include <QObject>

namespace tunora {

struct AppContext;

// The song folder: the scan that fills the song-file list and the playlist, the list
// refresh, the folder chooser and the search box.
class LibraryHandlers : public QObject {
    Q_OBJECT

public:
    explicit LibraryHandlers(AppContext &context, QObject *parent = nullptr);

    void scanSongFolder();
    // A folder chosen as the song folder: stored, shown and scanned. The folder chooser and
    // a song opened from outside both end here.
    void useSongFolder(const FilePath &folder);
    void onRefreshClicked();
    void onSongFolderChosen();

    // The search box searchBox: the typed text, the drop-down of the songs containing it,
    // and the chosen song selected (not played) in the song-file list.
    void searchTextEdited(const QString &text);
    void searchDropDownOpening();
    void searchEntryChosen(int index);

private:
    AppContext &m_context;
};

// A folder as the scan uses it: ending with exactly one separator.
QString withTrailingSeparator(const QString &folder);

} // namespace tunora
