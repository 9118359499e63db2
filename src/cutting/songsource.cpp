#include "songsource.h"

namespace tunora {

QString sourcePath(const QString &songFolder, const QString &name)
{
    return songFolder + name;
}

} // namespace tunora
