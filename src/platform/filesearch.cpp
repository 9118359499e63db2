#include "filesearch.h"

#include "filenames.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace tunora {

namespace {

bool isRegularFile(int dirFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    // Links and file systems that do not report the type: ask for the target's type.
    struct stat st {};
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// The key a Windows file system sorts a folder's names by: every UTF-16 unit in upper
// case. Folding to upper case, not lower, puts "_" and "[" after the letters there.
QString sortKey(const QString &name)
{
    QString key = name;
    for (QChar &c : key)
        c = c.toUpper();
    return key;
}

} // namespace

QStringList findFilesWithExtension(const QString &folder, const QString &extension)
{
    QStringList names;
    if (extension.isEmpty())
        return names;
    const QByteArray path = encodeFileName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR *dir = opendir(path.constData());
    if (!dir)
        return names;
    const QString suffix = QLatin1Char('.') + extension;
    const int fd = dirfd(dir);
    std::vector<std::pair<QString, QString>> found; // sort key, name
    while (const dirent *entry = readdir(dir)) {
        QString name = decodeFileName(QByteArray(entry->d_name));
        if (!name.endsWith(suffix, Qt::CaseInsensitive))
            continue;
        if (isRegularFile(fd, entry))
            found.emplace_back(sortKey(name), std::move(name));
    }
    closedir(dir);
    // Names equal but for case cannot share a Windows folder; here they sort by their
    // code units so that the order stays fixed.
    std::sort(found.begin(), found.end());
    names.reserve(qsizetype(found.size()));
    for (auto &entry : found)
        names.append(std::move(entry.second));
    return names;
}

} // namespace tunora
