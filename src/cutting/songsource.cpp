#include "songsource.h"

namespace tunora {

QString songFolderFromCaption(const QString &caption)
{
    return caption.mid(kSongFolderCaptionPrefix.size());
}

QString sourcePath(const QString &songFolder, const QString &name)
{
    return songFolder + name;
}

} // namespace tunora
