#include "app/desktop/mpris/mimetypes.h"

#include "library/folderscan.h"

#include <QMimeDatabase>

namespace tunora {

QStringList mimeTypesOf(const MusicFormats &formats)
{
    const QMimeDatabase database;
    QStringList types;
    for (const QString &extension : formats.extensions) {
        const QMimeType type = database.mimeTypeForFile(QStringLiteral("song.") + extension, QMimeDatabase::MatchExtension);
        if (type.isValid() && !type.isDefault() && !types.contains(type.name()))
            types.append(type.name());
    }
    return types;
}

} // namespace tunora
