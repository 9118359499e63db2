#pragma once

#include "filepath.h"

#include <QStringList>

// The one place where paths come in from the host: each is read as the bytes the system
// gives. Qt decodes such paths to text, and a name that is not UTF-8 (a folder unpacked from
// a Windows archive) then comes back changed, or, for the program's own folder, empty.
namespace tunora {

// The folder holding the running program, from /proc/self/exe (the module's own name on Windows).
FilePath programFolder();
#ifndef Q_OS_WIN
// The folder holding the file `executableLink` points to; empty when it is no link.
FilePath programFolderFrom(const QByteArray &executableLink);
#endif

// The program's command line, its own name first: from the bytes of argv, or on Windows from
// the UTF-16 command line, which argv has in the ANSI code page and loses names outside it.
QStringList programArguments(int argc, const char *const *argv);

// The process's current working directory; empty when it cannot be told (it was removed).
FilePath currentFolder();
// `path` made absolute against the current folder, with "." and ".." taken by name (as a
// shell's cd takes them); an absolute path is only tidied. Empty stays empty.
FilePath absolutePath(const FilePath &path);

// $HOME, else "/"; the user's profile folder on Windows.
FilePath homeFolder();

// Where per-user settings go: $XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config, as the XDG base directory rules say; the roaming application data on Windows.
FilePath userConfigFolder();

} // namespace tunora
