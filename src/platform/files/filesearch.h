#pragma once

#include "filepath.h"

#include <QString>
#include <QList>
#include <QStringList>

namespace tunora {

// Whether `name` ends with "." + `extension`, without regard to letter case ("A.MP3" has
// "mp3"); never for an empty extension. The one rule every search and check of a song's
// kind goes by.
bool hasExtension(QStringView name, QStringView extension);

// The names of the regular files in `folder` whose extension is `extension`, compared
// without regard to letter case (A.MP3 is found for "mp3"). Folders never count. Names
// come in a fixed order: ascending without regard to case, as a Windows file system lists
// them (each UTF-16 unit compared in upper case). A folder that cannot be read gives no
// names.
QStringList findFilesWithExtension(const FilePath &folder, const QString &extension);

// The same for several extensions in one pass over the folder: entry i holds the names
// for extensions[i] (none for an empty extension).
QList<QStringList> findFilesWithExtensions(const FilePath &folder, const QStringList &extensions);

// The names of the folders in `folder` (links to folders too), in the same order; hidden
// ones (".name") are left out, as file choosers do. A folder that cannot be read gives none.
QStringList findSubfolders(const FilePath &folder);

} // namespace tunora
