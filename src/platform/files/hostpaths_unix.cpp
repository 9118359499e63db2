#include "hostpaths.h"

#include "filenames.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace tunora {

FilePath programFolderFrom(const QByteArray &executableLink)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(executableLink.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return {};
        if (n < target.size()) {
            target.truncate(n);
            break;
        }
        target.resize(target.size() * 2); // it may have been cut short
    }
    return FilePath::fromBytes(target).folder();
}

FilePath programFolder()
{
    const FilePath folder = programFolderFrom(QByteArrayLiteral("/proc/self/exe"));
    if (!folder.isEmpty())
        return folder;
    // Without /proc (a bare chroot) only Qt's answer is left; it is right for UTF-8 names.
    return FilePath::fromBytes(QFile::encodeName(QCoreApplication::applicationDirPath()));
}

FilePath currentFolder()
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return FilePath::fromBytes(QByteArray(buffer.constData()));
}

QStringList programArguments(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(decodeFileName(QByteArray(argv[i])));
    return arguments;
}

FilePath homeFolder()
{
    const QByteArray home = qgetenv("HOME");
    return home.isEmpty() ? FilePath(QStringLiteral("/")) : FilePath::fromBytes(home);
}

FilePath userConfigFolder()
{
    const FilePath configured = FilePath::fromBytes(qgetenv("XDG_CONFIG_HOME"));
    if (configured.isAbsolute())
        return configured;
    return homeFolder() / QStringLiteral(".config");
}

} // namespace tunora
