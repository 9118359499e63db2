#include "filesearch.h"

#include "filenames.h"

#include <algorithm>

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
    while (const dirent *entry = readdir(dir)) {
        const QString name = decodeFileName(QByteArray(entry->d_name));
        if (!name.endsWith(suffix, Qt::CaseInsensitive))
            continue;
        if (isRegularFile(fd, entry))
            names.append(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

} // namespace tunora
