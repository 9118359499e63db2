#pragma once

#include "filepath.h"

#include <QString>

namespace tunora {

// A module the program loads at run time, by its file name: next to the program (a build) or
// in the program's library folder (an installation). Empty, with the places looked at in
// *error, when it is in neither.
FilePath findProgramModule(const FilePath &programDirectory, const QString &fileName, QString *error = nullptr);

// Loads the module at `path` for the rest of the process's life and returns its entry point
// `symbol`; nullptr, with the reason in *error, when either fails.
void *loadModuleEntry(const FilePath &path, const char *symbol, QString *error = nullptr);

} // namespace tunora
