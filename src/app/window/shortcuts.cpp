#include "app/window/shortcuts.h"

#include "app/window/accessiblenames.h"
#include "app/window/mainwindowui.h"
#include "app/controls/playercontrol.h"
#include "app/controls/searchcombobox.h"
#include "app/controls/spincontrol.h"

#include "session/playbacksession.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>

namespace tunora {

namespace {

// How far Left and Right move the play position.
constexpr double kSeekKeySeconds = 5.0;

QString keyName(const QKeySequence &key)
{
    return key.toString(QKeySequence::NativeText);
}

QString keyNames(const QList<QKeySequence> &keys)
{
    QStringList names;
    for (const QKeySequence &key : keys)
        names << keyName(key);
    return names.join(QStringLiteral(u" 或 "));
}

bool isPlainKey(const QKeyEvent *key, Qt::Key which)
{
    // The keypad's arrows and Enter carry the keypad modifier; they are the same keys.
    return key->key() == which && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// A key that presses a button makes the very click the mouse makes, at once, so a mark is
// the play position at the key press. (A button's own shortcut shows the press and clicks
// only 100 ms later.) A held key presses once.
void pressWith(QWidget *window, QAbstractButton *button, const QKeySequence &key)
{
    auto *shortcut = new QShortcut(key, window);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    announceKeys(button, keyName(key));
}

// A menu command's keys; the menu shows the first beside the command. The commands of a
// menu that only pops up work through `owner`, within `context`.
void giveKeys(QAction *command, const QList<QKeySequence> &keys, QWidget *owner = nullptr,
              Qt::ShortcutContext context = Qt::WindowShortcut)
{
    command->setShortcuts(keys);
    command->setShortcutContext(context);
    // Held, a toggle would flicker and a row move would swap the same two rows back.
    command->setAutoRepeat(false);
    if (owner)
        owner->addAction(command);
}

// The window's single keys give way where the focused control uses the key itself. Text
// boxes claim the keys they type and move with on their own; besides them, Space presses a
// focused button, and selects a list's current item while that item is not selected.
class FocusKeepsItsKeys : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShortcutOverride && focusUses(static_cast<QKeyEvent *>(event))) {
            event->accept(); // the key goes to the focused control, not to a shortcut
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool focusUses(const QKeyEvent *key)
    {
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
            return false;
        const QWidget *focus = QApplication::focusWidget();
        if (qobject_cast<const QAbstractButton *>(focus))
            return true;
        if (const auto *list = qobject_cast<const QAbstractItemView *>(focus)) {
            const QModelIndex current = list->currentIndex();
            return current.isValid() && !list->selectionModel()->isSelected(current);
        }
        return false;
    }
};

// Up and Down in a position box step its mark, as the arrows beside its mark button do:
// the keys of a spin box. A held key repeats, as a held arrow does.
class StepKeys : public QObject {
public:
    StepKeys(QLineEdit *box, SpinControl *spin)
        : QObject(box), m_spin(spin)
    {
        box->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (isPlainKey(key, Qt::Key_Up)) {
                m_spin->upButton()->click();
                return true;
            }
            if (isPlainKey(key, Qt::Key_Down)) {
                m_spin->downButton()->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    SpinControl *m_spin;
};

class EnterChooses : public QObject {
public:
    EnterChooses(QAbstractItemView *list, std::function<void()> choose)
        : QObject(list), m_list(list), m_choose(std::move(choose))
    {
        list->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (isPlainKey(key, Qt::Key_Return) || isPlainKey(key, Qt::Key_Enter)) {
                const QModelIndex current = m_list->currentIndex();
                if (current.isValid()) {
                    m_list->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect
                                                                  | QItemSelectionModel::Rows);
                    m_choose();
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractItemView *m_list;
    std::function<void()> m_choose;
};

void seekBy(PlaybackSession &session, double seconds)
{
    session.seek(std::max(0.0, session.player().currentPosition() + seconds));
}

// By the top edge of each control, then by its left edge, as the window reads.
void orderTabs(MainWindowUi &ui)
{
    QWidget *const order[] = {ui.playerFace, ui.searchBox, ui.songFileList,
                                    ui.markStartButton, ui.startEntryBox, ui.stepBox,
                                    ui.markEndButton, ui.endEntryBox, ui.previewLeadBox,
                                    ui.refreshButton, ui.cutSelectedButton, ui.cutAllButton, ui.mergeAllButton, ui.endPreviewButton,
                                    ui.songListView};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

void giveWindowKeys(QMainWindow *window, MainWindowUi &ui, PlaybackSession &session,
                    std::function<void()> playEntry, std::function<void()> playRow)
{
    window->installEventFilter(new FocusKeepsItsKeys(window));

    // Single keys, as cutters and players have them.
    pressWith(window, ui.markStartButton, Qt::Key_I);
    pressWith(window, ui.markEndButton, Qt::Key_O);
    pressWith(window, ui.endPreviewButton, Qt::Key_P);
    const QKeySequence back(Qt::Key_Left);
    const QKeySequence forward(Qt::Key_Right);
    for (const QKeySequence &key : {back, forward}) {
        auto *seek = new QShortcut(key, window); // held, it goes on seeking
        const double step = key == back ? -kSeekKeySeconds : kSeekKeySeconds;
        QObject::connect(seek, &QShortcut::activated, window, [&session, step] { seekBy(session, step); });
    }
    const QString seconds = QString::number(kSeekKeySeconds);
    announceKeys(ui.playerFace->seekSlider(), keyName(back) + QStringLiteral(u" 后退 ") + seconds + QStringLiteral(u" 秒，")
                                                + keyName(forward) + QStringLiteral(u" 前进 ") + seconds
                                                + QStringLiteral(u" 秒"));

    // The buttons that rescan and write files.
    pressWith(window, ui.refreshButton, Qt::Key_F5);
    pressWith(window, ui.cutSelectedButton, Qt::CTRL | Qt::Key_X);
    pressWith(window, ui.cutAllButton, Qt::CTRL | Qt::SHIFT | Qt::Key_X);
    pressWith(window, ui.mergeAllButton, Qt::CTRL | Qt::Key_M);

    // Menu commands; the player face's buttons that do the same show the same keys.
    giveKeys(ui.songFolderItem, {Qt::CTRL | Qt::Key_O});
    giveKeys(ui.startMinimisedItem, {Qt::CTRL | Qt::SHIFT | Qt::Key_M});
    giveKeys(ui.autoPlayItem, {Qt::CTRL | Qt::SHIFT | Qt::Key_P});
    giveKeys(ui.randomItem, {Qt::CTRL | Qt::Key_H});
    giveKeys(ui.loopItem, {Qt::CTRL | Qt::Key_T});
    giveKeys(ui.playPauseItem, {Qt::Key_Space, Qt::CTRL | Qt::Key_P}, window);
    giveKeys(ui.stopItem, {Qt::CTRL | Qt::Key_S}, window);
    giveKeys(ui.previousItem, {Qt::CTRL | Qt::Key_B}, window);
    giveKeys(ui.nextItem, {Qt::CTRL | Qt::Key_F}, window);
    giveKeys(ui.quitItem, {Qt::CTRL | Qt::Key_Q}, window);
    PlayerControl *face = ui.playerFace;
    const QString playPause = keyNames(ui.playPauseItem->shortcuts());
    announceKeys(face->playPauseButton(), playPause);
    face->setPlayPauseKeys(playPause);
    announceKeys(face->stopButton(), keyNames(ui.stopItem->shortcuts()));
    announceKeys(face->previousButton(), keyNames(ui.previousItem->shortcuts()));
    announceKeys(face->nextButton(), keyNames(ui.nextItem->shortcuts()));

    // The lists.
    QTreeView *songList = ui.songListView;
    giveKeys(ui.moveUpItem, {Qt::CTRL | Qt::Key_Up}, songList, Qt::WidgetShortcut);
    giveKeys(ui.moveDownItem, {Qt::CTRL | Qt::Key_Down}, songList, Qt::WidgetShortcut);
    giveKeys(ui.deleteRowItem, {Qt::Key_Delete}, songList, Qt::WidgetShortcut);
    giveKeys(ui.clearListItem, {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete}, songList, Qt::WidgetShortcut);
    const QString enter = keyName(Qt::Key_Enter);
    new EnterChooses(ui.songFileList, std::move(playEntry));
    new EnterChooses(songList, std::move(playRow));
    announceKeys(ui.songFileList, enter + QStringLiteral(u" 播放"));
    QStringList songListKeys{enter + QStringLiteral(u" 从开始时间播放")};
    for (QAction *command : {ui.moveUpItem, ui.moveDownItem, ui.deleteRowItem, ui.clearListItem})
        songListKeys << keyName(command->shortcut()) + u' ' + command->text();
    announceKeys(songList, songListKeys.join(QStringLiteral(u"，")));

    // The position boxes step their marks.
    new StepKeys(ui.startEntryBox, ui.startSpin);
    new StepKeys(ui.endEntryBox, ui.endSpin);
    const QString stepKeys = keyName(Qt::Key_Up) + QStringLiteral(u" 推后、") + keyName(Qt::Key_Down)
                             + QStringLiteral(u" 提前一个调整步长");
    announceKeys(ui.startEntryBox, stepKeys);
    announceKeys(ui.endEntryBox, stepKeys);

    orderTabs(ui);
}

} // namespace tunora
