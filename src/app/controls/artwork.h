#pragma once

#include <QIcon>
#include <QPixmap>

// Tunora's own artwork, drawn in code so it scales cleanly and needs no binary files.
namespace tunora {

// The menu icon list, indexed as the menus use it.
enum class MenuIcon : int {
    Play = 0, Pause = 1, Stop = 2, Previous = 3, Next = 4, Up = 5, Down = 6, Check = 7,
    NoEntry = 8, Cross = 9, Bin = 10,
};
inline constexpr int kMenuIconCount = 11;

QPixmap menuIconPixmap(MenuIcon icon);          // 16 x 16
QPixmap windowIconPixmap(int size);             // square
QIcon windowIcon();                             // 256, 128, 48, 32, 24 and 16 pixels
QPixmap aboutBanner();                          // 107 x 24

} // namespace tunora
