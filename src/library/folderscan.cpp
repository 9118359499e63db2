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

void FolderScanAhead::start(const QString &folder, const QString &format)
{
    m_folder = folder;
    m_format = format;
    m_scan = std::async(std::launch::async, scanFolder, folder, format);
}

FolderScan FolderScanAhead::take(const QString &folder, const QString &format)
{
    if (!m_scan.valid())
        return scanFolder(folder, format);
    FolderScan ahead = m_scan.get(); // also ends a scan that is not wanted any more
    if (folder == m_folder && format == m_format)
        return ahead;
    return scanFolder(folder, format);
}

} // namespace tunora
