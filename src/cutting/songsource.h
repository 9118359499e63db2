#pragma once

#include "platform/files/filepath.h"

#include <QString>

// Where a row's song file is: the song folder the program holds, then the row's file name.
namespace tunora {

// The folder ends with "/", so the name is appended as it is.
FilePath sourcePath(const QString &songFolder, const QString &name);

} // namespace tunora
