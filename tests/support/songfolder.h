#pragma once

#include "platform/filenames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunora::test {

// A temporary song folder: files and subfolders made by name, and the folder as the scan
// takes it, ending with "/".
class SongFolder {
public:
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    bool isValid() const { return m_dir.isValid(); }

    // An empty file; the name may hold any bytes (see filenames.h).
    void addFile(const QString &name, const QByteArray &content = {}) const
    {
        // Raw bytes: Qt's own file names would turn an undecodable byte into "?".
        const int fd = ::open(encodeFileName(path() + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
        if (fd >= 0)
            ::close(fd);
        if (!written)
            ADD_FAILURE() << "cannot write " << name.toStdString();
    }
    void addFiles(const QStringList &names) const
    {
        for (const QString &name : names)
            addFile(name);
    }
    void addFolder(const QString &name) const
    {
        if (::mkdir(encodeFileName(path() + name).constData(), 0755) != 0)
            ADD_FAILURE() << "cannot make " << name.toStdString();
    }

private:
    QTemporaryDir m_dir;
};

} // namespace tunora::test
