#pragma once

#include <QObject>

class QAction;
class QMenu;

namespace tunora {

enum class MenuIcon : int;

// The menu skin: the small icons beside menu items and the menus' light colours.
// Every change of a menu item's icon goes through setItemIcon(); an option item's check mark
// follows its check state through showCheckState().
class MenuSkin : public QObject {
    Q_OBJECT

public:
    static constexpr int kNoIcon = -1;

    using QObject::QObject;

    // Shows icon `index` of the menu icon list on the item, or none for kNoIcon.
    static void setItemIcon(QAction *item, int index);
    static void setItemIcon(QAction *item, MenuIcon icon);
    // The index shown on the item, kNoIcon when none.
    static int itemIcon(const QAction *item);
    // From now on the item shows the check-mark icon exactly while it is checked, however its
    // state changes: an option item has no other mark of its state.
    static void showCheckState(QAction *item);
    static void paint(QMenu *menu);
};

} // namespace tunora
