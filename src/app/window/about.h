#pragma once

#include "platform/files/filepath.h"

#include <QString>

namespace tunora {

// The About box that the banner bannerPicture opens: the version, where the settings file is and
// where the README is, so a user can find both without an address on the web.
QString aboutTitle();
QString aboutText(const FilePath &settingsFile, const FilePath &readme);

// The README as installed with the program ("../share/doc/tunora/README.md" from the program
// folder), else the one of the source tree the program was built from; empty when neither is
// there.
FilePath readmeFile(const FilePath &programFolder);

} // namespace tunora
