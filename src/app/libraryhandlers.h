#pragma once

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
    void 按钮7Clicked();
    void 歌曲目录Chosen();

private:
    AppContext &m_context;
};

// A folder as the scan uses it: ending with exactly one separator.
QString withTrailingSeparator(const QString &folder);

} // namespace tunora
