#include "app/controls/menuskin.h"

#include "app/controls/artwork.h"

#include <QAction>
#include <QMenu>

namespace tunora {

namespace {
constexpr const char *kIconProperty = "tunoraMenuIcon";
}

void MenuSkin::setItemIcon(QAction *item, int index)
{
    if (index < 0 || index >= kMenuIconCount) {
        item->setIcon(QIcon());
        item->setProperty(kIconProperty, kNoIcon);
        return;
    }
    item->setIcon(QIcon(menuIconPixmap(MenuIcon(index))));
    item->setProperty(kIconProperty, index);
}

void MenuSkin::setItemIcon(QAction *item, MenuIcon icon)
{
    setItemIcon(item, int(icon));
}

int MenuSkin::itemIcon(const QAction *item)
{
    const QVariant v = item->property(kIconProperty);
    return v.isValid() ? v.toInt() : kNoIcon;
}

void MenuSkin::showCheckState(QAction *item)
{
    const auto showState = [item](bool checked) { setItemIcon(item, checked ? int(MenuIcon::Check) : kNoIcon); };
    connect(item, &QAction::toggled, item, showState);
    showState(item->isChecked());
}

void MenuSkin::paint(QMenu *menu)
{
    // The skin's six colours: white and sage for the frame and icon column, a warm
    // off-white body and a pale green highlight.
    menu->setStyleSheet(QStringLiteral(
        "QMenu { background: #f9f8f7; border: 1px solid #98b198; }"
        "QMenu::item { padding: 4px 24px 4px 28px; color: black; }"
        "QMenu::item:selected { background: #d7e9b1; border: 1px solid #98b198; }"
        "QMenu::icon { padding-left: 6px; }"
        // Option items show their state by the check-mark icon alone.
        "QMenu::indicator { width: 0px; height: 0px; }"
        "QMenu::separator { height: 1px; background: #98b198; margin: 3px 6px 3px 28px; }"));
}

} // namespace tunora
