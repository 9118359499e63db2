#include "app/panels/seekstriphandlers.h"

#include "app/controls/playercontrol.h"
#include "app/controls/seekstrip.h"
#include "app/panels/markinghandlers.h"
#include "app/window/appcontext.h"
#include "app/window/mainwindowui.h"

#include "library/songlistmodel.h"
#include "overview/songoverviews.h"
#include "platform/engine/mediaplayer.h"
#include "platform/numbers/numbers.h"

namespace tunora {

SeekStripHandlers::SeekStripHandlers(AppContext &context, MarkingHandlers &marking, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_overviews(new SongOverviews(this))
{
    SeekStrip *strip = m_context.ui.playerFace->seekSlider();
    connect(&m_context.player, &MediaPlayer::openStateChanged, this, &SeekStripHandlers::onOpenStateChanged);
    connect(m_overviews, &SongOverviews::shown, strip, &SeekStrip::setOverview);

    // Marks change by the mark buttons, keys, steps, typed positions and row edits: all of
    // them end in the song list's rows, or in another current song.
    const SongListModel *rows = m_context.ui.songList;
    connect(rows, &SongListModel::rowsInserted, this, &SeekStripHandlers::showMarks);
    connect(rows, &SongListModel::rowsRemoved, this, &SeekStripHandlers::showMarks);
    connect(rows, &SongListModel::rowsMoved, this, &SeekStripHandlers::showMarks);
    connect(rows, &SongListModel::dataChanged, this, &SeekStripHandlers::showMarks);
    connect(rows, &SongListModel::modelReset, this, &SeekStripHandlers::showMarks);
    connect(rows, &SongListModel::layoutChanged, this, &SeekStripHandlers::showMarks);
    connect(&m_context.session, &PlaybackSession::currentSongChanged, this, &SeekStripHandlers::showMarks);

    connect(strip, &SeekStrip::markDragged, this, [&marking](SeekStrip::Edge edge, double seconds) {
        marking.enterPosition(edge == SeekStrip::Edge::Start ? MarkingHandlers::Mark::Start
                                                             : MarkingHandlers::Mark::End,
                              seconds);
    });
    showMarks();
}

void SeekStripHandlers::onOpenStateChanged(OpenState state)
{
    const MediaPlayer &player = m_context.player;
    if (state == OpenState::MediaOpen)
        m_overviews->show(player.currentSource(), player.duration());
    else
        m_overviews->showNone();
}

void SeekStripHandlers::showMarks()
{
    const SongListModel &rows = *m_context.ui.songList;
    const QString song = m_context.session.currentSongName();
    const int row = song.isEmpty() ? -1 : rows.rowOfSong(song);
    const auto mark = [&](int column) -> std::optional<double> {
        const QString cell = row < 0 ? QString() : rows.cell(row, column);
        if (cell.isEmpty())
            return std::nullopt;
        return numberFromText(cell);
    };
    m_context.ui.playerFace->seekSlider()->setMarks(mark(SongListModel::Start), mark(SongListModel::End));
}

} // namespace tunora
