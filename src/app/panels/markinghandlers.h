#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

namespace tunora {

class SpinControl;
struct AppContext;
struct MainWindowUi;

// Taking, stepping and typing the start and end marks, and the end preview.
class MarkingHandlers : public QObject {
    Q_OBJECT

public:
    enum class Mark { Start, End };

    // `playSelectedRow` is playback's operation of the same name: it starts the selected
    // row's song and arms the end-mark timer.
    MarkingHandlers(AppContext &context, std::function<void()> playSelectedRow,
                    QObject *parent = nullptr);

    // markStartButton / markEndButton: the play position becomes the current song's mark; the first mark of
    // a song creates its row at the top of the song list.
    void takeMark(Mark mark);
    // startSpin / endSpin: the mark one step earlier (press value 1) or later (any other).
    void stepMark(Mark mark, int pressValue);
    // Every change of startEntryBox / endEntryBox, typed or written by the program.
    void positionEntry(Mark mark);
    // The mark set to `seconds` as if typed into its position box, with all that typing does
    // (a band edge dragged on the seek strip).
    void enterPosition(Mark mark, double seconds);
    // endPreviewButton: plays the selected row from shortly before its end mark.
    void endPreview();

private:
    class BoxRule;
    struct MarkControls {
        int column;
        SpinControl *spin;
        QLabel *label;
        QString prefix;
        QLineEdit *box;
        BoxRule *boxRule;
        QString negativeMessage;
        QString pastSongLengthMessage;
    };
    MarkControls controls(Mark mark) const;
    // The mark label and the position box show a mark's new text.
    void showMark(Mark mark, const QString &text);

    AppContext &m_context;
    std::function<void()> m_playSelectedRow;
    BoxRule *m_startBoxRule;
    BoxRule *m_endBoxRule;
};

} // namespace tunora
