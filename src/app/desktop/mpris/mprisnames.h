#pragma once

#include <QString>

// Where the program answers on the session bus: the desktop's media controls find players
// by the name's prefix, and a second launch finds the first by the program's own name (its
// application id), which it holds from its start on.
namespace tunora::mpris {

inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.tunora");
inline const QString kProgramName = QStringLiteral("example.tunora.Tunora");
inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
inline const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// OpenUri's answer for a URI that names no song the program can play.
inline const QString kCannotOpenError = QStringLiteral("org.mpris.MediaPlayer2.tunora.Error.CannotOpen");

} // namespace tunora::mpris
