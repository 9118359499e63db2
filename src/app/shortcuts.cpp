#include "shortcuts.h"

#include "accessiblenames.h"
#include "mainwindowui.h"
#include "playercontrol.h"
#include "searchcombobox.h"
#include "spincontrol.h"

#include "platform/engine/mediaplayer.h"

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

void seekBy(MediaPlayer &player, double seconds)
{
    player.setCurrentPosition(std::max(0.0, player.currentPosition() + seconds));
}

// By the top edge of each control, then by its left edge, as the window reads.
void orderTabs(MainWindowUi &ui)
{
    QWidget *const order[] = {ui.播放器1, ui.组合框1, ui.列表框1,
                                    ui.按钮3, ui.编辑框3, ui.编辑框2,
                                    ui.按钮4, ui.编辑框4, ui.编辑框5,
                                    ui.按钮7, ui.按钮5, ui.按钮9, ui.按钮1, ui.按钮6,
                                    ui.超级列表框1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

void giveWindowKeys(QMainWindow *window, MainWindowUi &ui, MediaPlayer &player,
                    std::function<void()> playEntry, std::function<void()> playRow)
{
    window->installEventFilter(new FocusKeepsItsKeys(window));

    // Single keys, as cutters and players have them.
    pressWith(window, ui.按钮3, Qt::Key_I);
    pressWith(window, ui.按钮4, Qt::Key_O);
    pressWith(window, ui.按钮6, Qt::Key_P);
    const QKeySequence back(Qt::Key_Left);
    const QKeySequence forward(Qt::Key_Right);
    for (const QKeySequence &key : {back, forward}) {
        auto *seek = new QShortcut(key, window); // held, it goes on seeking
        const double step = key == back ? -kSeekKeySeconds : kSeekKeySeconds;
        QObject::connect(seek, &QShortcut::activated, window, [&player, step] { seekBy(player, step); });
    }
    const QString seconds = QString::number(kSeekKeySeconds);
    announceKeys(ui.播放器1->seekSlider(), keyName(back) + QStringLiteral(u" 后退 ") + seconds + QStringLiteral(u" 秒，")
                                                + keyName(forward) + QStringLiteral(u" 前进 ") + seconds
                                                + QStringLiteral(u" 秒"));

    // The buttons that rescan and write files.
    pressWith(window, ui.按钮7, Qt::Key_F5);
    pressWith(window, ui.按钮5, Qt::CTRL | Qt::Key_X);
    pressWith(window, ui.按钮9, Qt::CTRL | Qt::SHIFT | Qt::Key_X);
    pressWith(window, ui.按钮1, Qt::CTRL | Qt::Key_M);

    // Menu commands; the player face's buttons that do the same show the same keys.
    giveKeys(ui.歌曲目录, {Qt::CTRL | Qt::Key_O});
    giveKeys(ui.开启最小化, {Qt::CTRL | Qt::SHIFT | Qt::Key_M});
    giveKeys(ui.自动播放, {Qt::CTRL | Qt::SHIFT | Qt::Key_P});
    giveKeys(ui.随机, {Qt::CTRL | Qt::Key_H});
    giveKeys(ui.循环, {Qt::CTRL | Qt::Key_T});
    giveKeys(ui.播放暂停, {Qt::Key_Space, Qt::CTRL | Qt::Key_P}, window);
    giveKeys(ui.停止, {Qt::CTRL | Qt::Key_S}, window);
    giveKeys(ui.上一首, {Qt::CTRL | Qt::Key_B}, window);
    giveKeys(ui.下一首, {Qt::CTRL | Qt::Key_F}, window);
    giveKeys(ui.退出, {Qt::CTRL | Qt::Key_Q}, window);
    PlayerControl *face = ui.播放器1;
    const QString playPause = keyNames(ui.播放暂停->shortcuts());
    announceKeys(face->playPauseButton(), playPause);
    face->setPlayPauseKeys(playPause);
    announceKeys(face->stopButton(), keyNames(ui.停止->shortcuts()));
    announceKeys(face->previousButton(), keyNames(ui.上一首->shortcuts()));
    announceKeys(face->nextButton(), keyNames(ui.下一首->shortcuts()));

    // The lists.
    QTreeView *songList = ui.超级列表框1;
    giveKeys(ui.向上移动, {Qt::CTRL | Qt::Key_Up}, songList, Qt::WidgetShortcut);
    giveKeys(ui.向下移动, {Qt::CTRL | Qt::Key_Down}, songList, Qt::WidgetShortcut);
    giveKeys(ui.指点删除, {Qt::Key_Delete}, songList, Qt::WidgetShortcut);
    giveKeys(ui.清空列表, {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete}, songList, Qt::WidgetShortcut);
    const QString enter = keyName(Qt::Key_Enter);
    new EnterChooses(ui.列表框1, std::move(playEntry));
    new EnterChooses(songList, std::move(playRow));
    announceKeys(ui.列表框1, enter + QStringLiteral(u" 播放"));
    QStringList songListKeys{enter + QStringLiteral(u" 从开始时间播放")};
    for (QAction *command : {ui.向上移动, ui.向下移动, ui.指点删除, ui.清空列表})
        songListKeys << keyName(command->shortcut()) + u' ' + command->text();
    announceKeys(songList, songListKeys.join(QStringLiteral(u"，")));

    // The position boxes step their marks.
    new StepKeys(ui.编辑框3, ui.调节器1);
    new StepKeys(ui.编辑框4, ui.调节器2);
    const QString stepKeys = keyName(Qt::Key_Up) + QStringLiteral(u" 推后、") + keyName(Qt::Key_Down)
                             + QStringLiteral(u" 提前一个调整步长");
    announceKeys(ui.编辑框3, stepKeys);
    announceKeys(ui.编辑框4, stepKeys);

    orderTabs(ui);
}

} // namespace tunora
