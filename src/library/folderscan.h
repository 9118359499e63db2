#pragma once

#include "platform/files/filepath.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tunora {

// The music formats setting ("mp3,wma"): its text as written, for messages, and its
// extensions in order, parsed here once.
struct MusicFormats {
    QString text;
    // Empty pieces are left out, so that no search ever looks for every file ending in a dot.
    QStringList extensions;

    static MusicFormats parse(const QString &text);
    // Whether a scan under these formats lists a (regular) file of that name.
    bool listsName(const QString &fileName) const;
};

// Every file of `folder` with one of the extensions, each extension's files in the file
// search's order, every new find placed at the top: the last file found for the last
// extension ends up first.
QList<FilePath> scanFolder(const FilePath &folder, const MusicFormats &formats);

} // namespace tunora
