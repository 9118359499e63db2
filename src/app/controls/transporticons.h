#pragma once

#include <QIcon>
#include <QStyle>

namespace tunora {

// The player face's media icons, drawn here rather than taken from the style, which would
// look them up in the icon theme and load the image format plugins during start-up.
// Knows SP_MediaPlay, SP_MediaPause, SP_MediaStop, SP_MediaSkipBackward,
// SP_MediaSkipForward, SP_MediaVolume and SP_MediaVolumeMuted; any other gives a null icon.
QIcon transportIcon(QStyle::StandardPixmap kind);

} // namespace tunora
