#include "app/panels/markinghandlers.h"

#include "app/window/appcontext.h"
#include "app/controls/listselection.h"
#include "app/window/mainwindowui.h"
#include "app/controls/spincontrol.h"

#include "library/songlistmodel.h"
#include "marking/markstep.h"
#include "marking/songmarks.h"
#include "app/desktop/desktop.h"
#include "platform/engine/mediaplayer.h"
#include "platform/numbers/numbers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QValidator>

namespace tunora {

// What the user may type into a position box: the box's own number rule, up to its
// length. The program writes whole marks, also longer ones ("1000.25"): a line edit's own
// length limit would cut them, and position entry would store the cut value.
class MarkingHandlers::BoxRule : public QValidator {
public:
    explicit BoxRule(QLineEdit *box)
        : QValidator(box), m_rule(box->validator()), m_maxLength(box->maxLength())
    {
        box->setValidator(this);
        box->setMaxLength(32767);
    }

    // The program is about to write `text` into the box.
    void allow(const QString &text) { m_written = text; }

    State validate(QString &input, int &pos) const override
    {
        // A longer text written by the program stays valid, so that typing onto it is
        // refused while deleting from it is not.
        if (input.size() > m_maxLength && input != m_written)
            return Invalid;
        return m_rule ? m_rule->validate(input, pos) : Acceptable;
    }

private:
    const QValidator *m_rule;
    int m_maxLength;
    QString m_written;
};

MarkingHandlers::MarkingHandlers(AppContext &context, std::function<void()> playSelectedRow,
                                 QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_playSelectedRow(std::move(playSelectedRow))
{
    MainWindowUi &ui = m_context.ui;
    m_startBoxRule = new BoxRule(ui.startEntryBox);
    m_endBoxRule = new BoxRule(ui.endEntryBox);

    connect(ui.markStartButton, &QPushButton::clicked, this, [this] { takeMark(Mark::Start); });
    connect(ui.markEndButton, &QPushButton::clicked, this, [this] { takeMark(Mark::End); });
    connect(ui.startSpin, &SpinControl::pressed, this, [this](int value) { stepMark(Mark::Start, value); });
    connect(ui.endSpin, &SpinControl::pressed, this, [this](int value) { stepMark(Mark::End, value); });
    // textChanged, not textEdited: a mark written by the program is a change too.
    connect(ui.startEntryBox, &QLineEdit::textChanged, this, [this] { positionEntry(Mark::Start); });
    connect(ui.endEntryBox, &QLineEdit::textChanged, this, [this] { positionEntry(Mark::End); });
    connect(ui.endPreviewButton, &QPushButton::clicked, this, &MarkingHandlers::endPreview);
}

MarkingHandlers::MarkControls MarkingHandlers::controls(Mark mark) const
{
    const MainWindowUi &ui = m_context.ui;
    if (mark == Mark::Start) {
        return {SongListModel::Start, ui.startSpin, ui.startMarkLabel, ui_text::kStartPrefix, ui.startEntryBox, m_startBoxRule,
                QStringLiteral(u"开始时间不可能为负数！请重新标记开始时间。"),
                QStringLiteral(u"开始时间不能大于歌曲最大时间！请重新标记开始时间。")};
    }
    return {SongListModel::End, ui.endSpin, ui.endMarkLabel, ui_text::kEndPrefix, ui.endEntryBox, m_endBoxRule,
            QStringLiteral(u"结束时间不可能为负数！请重新标记结束时间。"),
            QStringLiteral(u"结束时间不能大于歌曲最大时间！请重新标记结束时间。")};
}

void MarkingHandlers::showMark(Mark mark, const QString &text)
{
    const MarkControls c = controls(mark);
    c.label->setText(c.prefix + text);
    // Writing the box is a change of its content and runs position entry, also when it
    // already held this text (the line edit reports no change then).
    c.boxRule->allow(text);
    if (c.box->text() == text)
        positionEntry(mark);
    else
        c.box->setText(text);
}

void MarkingHandlers::takeMark(Mark mark)
{
    const QString song = m_context.session.currentSongName();
    if (song.isEmpty())
        return;
    const QString text = markText(m_context.player.currentPosition());
    showMark(mark, text);

    SongListModel &songs = *m_context.ui.songList;
    int row = songs.rowOfSong(song);
    if (row < 0) {
        row = 0;
        songs.insertSong(row, song);
    }
    songs.setCell(row, controls(mark).column, text);
    fillTopRowLength(songs, song, m_context.player);
}

void MarkingHandlers::stepMark(Mark mark, int pressValue)
{
    const QString song = m_context.session.currentSongName();
    if (song.isEmpty())
        return;
    SongListModel &songs = *m_context.ui.songList;
    const int row = songs.rowOfSong(song);
    if (row >= 0) {
        const MarkControls c = controls(mark);
        const MarkStep step = markAfterStep(songs.cell(row, c.column), m_context.ui.stepBox->text(),
                                            durationText(m_context.player.duration()),
                                            pressValue == SpinControl::kDownValue);
        if (step.outcome == MarkStep::Outcome::Accepted) {
            songs.setCell(row, c.column, step.text);
            showMark(mark, step.text);
        } else {
            // A held arrow must not repeat the refusal under its own message box.
            c.spin->releasePress();
            m_context.desktop.showMessage(step.outcome == MarkStep::Outcome::Negative ? c.negativeMessage
                                                                                      : c.pastSongLengthMessage,
                                          MessageStyle::Error, QStringLiteral(u"错误"));
        }
    }
    refreshCutLengths(songs);
}

void MarkingHandlers::positionEntry(Mark mark)
{
    const QString song = m_context.session.currentSongName();
    if (song.isEmpty())
        return;
    const MarkControls c = controls(mark);
    const QString typed = c.box->text();
    c.label->setText(c.prefix + typed);

    SongListModel &songs = *m_context.ui.songList;
    const int row = songs.rowOfSong(song);
    if (row >= 0)
        songs.setCell(row, c.column, markText(numberFromText(typed)));
    fillTopRowLength(songs, song, m_context.player);
}

void MarkingHandlers::enterPosition(Mark mark, double seconds)
{
    showMark(mark, markText(seconds));
}

void MarkingHandlers::endPreview()
{
    const int row = selectedRow(m_context.ui.songListView);
    if (row < 0)
        return;
    m_playSelectedRow();
    const SongListModel &songs = *m_context.ui.songList;
    const double endMark = numberFromText(songs.cell(row, SongListModel::End));
    const double leadIn = numberFromText(m_context.ui.previewLeadBox->text());
    // Set at once, before the player reports the song open; the player applies it then.
    m_context.player.setCurrentPosition(endMark - leadIn);
}

} // namespace tunora
