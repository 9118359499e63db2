#pragma once

#include "platform/files/filenames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFile>
#else
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tunora::test {

// A temporary song folder: files and subfolders made by name, and the folder as the scan
// takes it, ending with "/".
class SongFolder {
public:
    SongFolder() = default;
    SongFolder(const SongFolder &) = delete;
    SongFolder &operator=(const SongFolder &) = delete;
    // Qt cannot remove a name that is not UTF-8: the folder's contents go byte for byte.
    ~SongFolder()
    {
#ifndef Q_OS_WIN
        if (m_dir.isValid())
            ::nftw(encodeFileName(m_dir.path()).constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
#endif
    }

    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    bool isValid() const { return m_dir.isValid(); }

    // An empty file; the name may hold any bytes (see filenames.h).
    void addFile(const QString &name, const QByteArray &content = {}) const
    {
#ifdef Q_OS_WIN
        // Names are UTF-16 there, which Qt passes on as they are.
        QFile file(path() + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            ADD_FAILURE() << "cannot write " << name.toStdString();
#else
        // Raw bytes: Qt's own file names would turn an undecodable byte into "?".
        const int fd = ::open(encodeFileName(path() + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
        if (fd >= 0)
            ::close(fd);
        if (!written)
            ADD_FAILURE() << "cannot write " << name.toStdString();
#endif
    }
    void addFiles(const QStringList &names) const
    {
        for (const QString &name : names)
            addFile(name);
    }
    void addFolder(const QString &name) const
    {
#ifdef Q_OS_WIN
        if (!QDir().mkdir(path() + name))
            ADD_FAILURE() << "cannot make " << name.toStdString();
#else
        if (::mkdir(encodeFileName(path() + name).constData(), 0755) != 0)
            ADD_FAILURE() << "cannot make " << name.toStdString();
#endif
    }

private:
#ifndef Q_OS_WIN
    static int removeOne(const char *path, const struct stat *, int, struct FTW *)
    {
        ::remove(path);
        return 0;
    }
#endif

    QTemporaryDir m_dir;
};

} // namespace tunora::test
