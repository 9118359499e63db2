#pragma once

#include "filepath.h"

// The one place where paths come in from the host: each is read as the bytes the system
// gives. Qt decodes such paths to text, and a name that is not UTF-8 (a folder unpacked from
// a Windows archive) then comes back changed, or, for the program's own folder, empty.
namespace tunora {

// The folder holding the running program, from /proc/self/exe.
FilePath programFolder();
// The folder holding the file `executableLink` points to; empty when it is no link.
FilePath programFolderFrom(const QByteArray &executableLink);

// The process's current working directory; empty when it cannot be told (it was removed).
FilePath currentFolder();
// `path` made absolute against the current folder, with "." and ".." taken by name (as a
// shell's cd takes them); an absolute path is only tidied. Empty stays empty.
FilePath absolutePath(const FilePath &path);

// $HOME, else "/".
FilePath homeFolder();

// Where per-user settings go: $XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config, as the XDG base directory rules say.
FilePath userConfigFolder();

} // namespace tunora
