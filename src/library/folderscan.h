#pragma once

#include <QString>
#include <QStringList>


namespace tunora {

// The song-file list and the playlist after a scan, index for index: entry i is the file
// name of playlist item i, whose full path is paths[i].
struct FolderScan {
    QStringList entries;
    QStringList paths;
};

// The extensions of the format setting ("mp3,wma"), in order; empty pieces are skipped so
// that no search ever looks for every file ending in a dot.
QStringList extensionsOfFormat(const QString &format);

// Whether a scan under this format lists a (regular) file of that name.
bool formatListsName(const QString &format, const QString &fileName);

// Every file of `folder` (ending with "/") with one of the extensions, each extension's
// files in the file search's order, every new find placed at the top: the last file found
// for the last extension ends up first.
FolderScan scanFolder(const QString &folder, const QString &format);

} // namespace tunora
