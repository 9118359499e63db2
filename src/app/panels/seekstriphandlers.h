#pragma once

#include <QObject>

namespace tunora {

class MarkingHandlers;
enum class OpenState;
class SongOverviews;
struct AppContext;

// The seek strip shows the playing song's overview and the current song's marks, whichever
// way they change; a band edge dragged on it moves that mark as typing its position does.
class SeekStripHandlers : public QObject {
    Q_OBJECT

public:
    SeekStripHandlers(AppContext &context, MarkingHandlers &marking, QObject *parent = nullptr);

    SongOverviews &overviews() const { return *m_overviews; }

private:
    void onOpenStateChanged(OpenState state);
    void showMarks();

    AppContext &m_context;
    SongOverviews *m_overviews;
};

} // namespace tunora
