#include "songsource.h"

namespace tunora {

FilePath sourcePath(const QString &songFolder, const QString &name)
{
    return FilePath(songFolder + name);
}

} // namespace tunora
