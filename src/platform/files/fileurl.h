#pragma once

#include "filepath.h"

#include <QString>

namespace tunora {

// A path as a "file://" URL and back, byte for byte: the name's bytes are percent-encoded,
// so a name that is not valid UTF-8 survives the trip (a desktop's file manager sends such
// names the same way). pathOfFileUrl() gives an empty path for anything but a local
// absolute one.
QString fileUrlOf(const FilePath &absolutePath);
FilePath pathOfFileUrl(const QString &url);

} // namespace tunora
