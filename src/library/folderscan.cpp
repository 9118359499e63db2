#include "folderscan.h"

#include "platform/files/filesearch.h"

#include <algorithm>

namespace tunora {

QStringList extensionsOfFormat(const QString &format)
{
    QStringList extensions = format.split(QLatin1Char(','), Qt::KeepEmptyParts);
    extensions.removeAll(QString());
    return extensions;
}

bool formatListsName(const QString &format, const QString &fileName)
{
    const QStringList extensions = extensionsOfFormat(format);
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const QString &extension) { return hasExtension(fileName, extension); });
}

FolderScan scanFolder(const QString &folder, const QString &format)
{
    FolderScan scan;
    for (const QStringList &names : findFilesWithExtensions(FilePath(folder), extensionsOfFormat(format))) {
        for (const QString &name : names) {
            scan.entries.append(name);
            scan.paths.append(folder + name);
        }
    }
    // Collected in find order and turned over once, rather than inserting at the top
    // for every file.
    std::reverse(scan.entries.begin(), scan.entries.end());
    std::reverse(scan.paths.begin(), scan.paths.end());
    return scan;
}

} // namespace tunora
