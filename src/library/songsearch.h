#pragma once

#include <QString>
#include <QStringList>

namespace tunora {

// Whether `text` contains `part`, with the Latin letters A-Z and a-z compared without
// regard to case and every other character exactly.
bool containsIgnoringLatinCase(const QString &text, const QString &part);

// The entries (file names) whose shown name contains `part` in that sense, in their order;
// none for an empty part. A user searches what the list shows: 晴天 finds a name from a
// Windows archive that is GBK on disk.
QStringList songsContaining(const QStringList &entries, const QString &part);

} // namespace tunora
