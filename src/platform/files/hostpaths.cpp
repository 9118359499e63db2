#include "hostpaths.h"

namespace tunora {

FilePath absolutePath(const FilePath &path)
{
    if (path.isEmpty())
        return {};
    return (path.isAbsolute() ? path : currentFolder() / path.text()).cleaned();
}

} // namespace tunora
