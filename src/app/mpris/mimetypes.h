#pragma once

#include <QStringList>

namespace tunora {

// The MIME types of the files a format setting ("mp3,wma") lists, in its order, each once;
// an extension of no known type gives none.
QStringList mimeTypesOfFormat(const QString &format);

} // namespace tunora
