#pragma once

#include <QString>

// Where a row's song file is: the song folder the program holds, then the row's file name.
namespace tunora {

// The folder ends with "/", so the name is appended as it is.
QString sourcePath(const QString &songFolder, const QString &name);

} // namespace tunora
