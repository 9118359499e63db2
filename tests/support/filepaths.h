#pragma once

#include "platform/files/filepath.h"

#include <QList>
#include <QStringList>

namespace tunora::test {

// Paths from their texts, for a playlist or a song list written out in a test.
inline QList<FilePath> filePaths(const QStringList &texts)
{
    QList<FilePath> paths;
    for (const QString &text : texts)
        paths.append(FilePath(text));
    return paths;
}

} // namespace tunora::test
