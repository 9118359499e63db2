#pragma once

#include "filepath.h"

#include <QString>

#include <cstdint>
#include <vector>

// Modules the program loads at run time. Only C crosses into a module: it exports a function
// that answers the version of the interface it was built for, and its entry points.
namespace tunora {

// A module by its file name: next to the program (a build) or in the program's library folder
// (an installation). Empty, with the places looked at in *error, when it is in neither.
FilePath findProgramModule(const FilePath &programDirectory, const QString &fileName, QString *error = nullptr);

// What the program expects of a module.
struct ModuleInterface {
    const char *versionSymbol; // a function uint32_t(void)
    uint32_t version;
    std::vector<const char *> entrySymbols;
};

// A module's entry points, in the order of the interface's symbols, or why the module cannot
// be used.
struct ModuleEntry {
    std::vector<void *> entries; // empty when it cannot
    QString error;               // empty exactly when there are entries
};

// Loads the module at `path` with every symbol bound at once, so that a library or a function
// it lacks refuses it here rather than failing in the middle of its work; checks its version
// and returns its entry points. A module lacking any of them is refused. A module that is refused is unloaded again; one that is used
// stays for the rest of the process's life.
ModuleEntry openProgramModule(const FilePath &path, const ModuleInterface &interface);

} // namespace tunora
