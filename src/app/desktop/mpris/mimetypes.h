#pragma once

#include "library/folderscan.h"

#include <QStringList>

namespace tunora {

// The MIME types of the files the music formats list, in their order, each once; an
// extension of no known type gives none.
QStringList mimeTypesOf(const MusicFormats &formats);

} // namespace tunora
