#include "folderscan.h"

#include "platform/files/filesearch.h"

#include <algorithm>

namespace tunora {

MusicFormats MusicFormats::parse(const QString &text)
{
    MusicFormats formats{text, text.split(QLatin1Char(','), Qt::KeepEmptyParts)};
    formats.extensions.removeAll(QString());
    return formats;
}

bool MusicFormats::listsName(const QString &fileName) const
{
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const QString &extension) { return hasExtension(fileName, extension); });
}

QList<FilePath> scanFolder(const FilePath &folder, const MusicFormats &formats)
{
    QList<FilePath> songs;
    for (const QStringList &names : findFilesWithExtensions(folder, formats.extensions)) {
        for (const QString &name : names)
            songs.append(folder / name);
    }
    // Collected in find order and turned over once, rather than inserting at the top
    // for every file.
    std::reverse(songs.begin(), songs.end());
    return songs;
}

} // namespace tunora
