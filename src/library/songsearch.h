#pragma once

#include <QString>
#include <QStringList>

namespace tunora {

// Whether `text` contains `part`, with the Latin letters A-Z and a-z compared without
// regard to case and every other character exactly.
bool containsIgnoringLatinCase(const QString &text, const QString &part);

// The entries that contain `part` in that sense, in their order; none for an empty part.
QStringList songsContaining(const QStringList &entries, const QString &part);

} // namespace tunora
