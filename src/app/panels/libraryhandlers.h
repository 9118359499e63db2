#pragma once

#include "platform/files/filepath.h"

#include <QObject>

namespace tunora {

struct AppContext;

// The song folder and its songs as the window shows them: the song-file list, the folder
// label, the list refresh, the folder chooser and the search box.
class LibraryHandlers : public QObject {
    Q_OBJECT

public:
    explicit LibraryHandlers(AppContext &context, QObject *parent = nullptr);

    void onRefreshClicked();
    void onSongFolderChosen();

    // The search box searchBox: the typed text, the drop-down of the songs containing it,
    // and the chosen song selected (not played) in the song-file list.
    void searchTextEdited(const QString &text);
    void searchDropDownOpening();
    void searchEntryChosen(int index);

private:
    void showSongs();

    AppContext &m_context;
};

} // namespace tunora
