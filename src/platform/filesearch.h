#pragma once

#include <QString>
#include <QStringList>

namespace tunora {

// The names of the regular files in `folder` whose extension is `extension`, compared
// without regard to letter case (A.MP3 is found for "mp3"). Folders never count. Names
// come in a fixed order: ascending without regard to case, as a Windows file system lists
// them (each UTF-16 unit compared in upper case). A folder that cannot be read gives no
// names.
QStringList findFilesWithExtension(const QString &folder, const QString &extension);

} // namespace tunora
