#pragma once

#include <QByteArray>
#include <QString>

// File names are bytes on this platform, and archives made on Windows leave names in GBK
// that are not valid UTF-8. Every name crosses between bytes and text here, and the round
// trip keeps every byte: valid UTF-8 decodes as usual, and each byte that is not part of
// valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF, which encodes back to that byte.
namespace tunora {

QString decodeFileName(const QByteArray &bytes);
QByteArray encodeFileName(const QString &name);

// Whether `text` comes back unchanged from encodeFileName then decodeFileName: not when it
// holds a lone surrogate that is no escaped byte (half of a cut pair), nor escapes whose
// bytes together form a character. Only such text can be stored as bytes and read back.
bool roundTripsThroughBytes(const QString &text);

// A name as a person should see it: unchanged when it is valid UTF-8; otherwise read as GBK
// when its bytes are valid GBK (names from Windows archives), else with U+FFFD for each byte
// that is no character. For showing only: it does not lead back to the file.
QString displayFileName(const QString &name);

// A path shown the same way, one name at a time: a GBK folder inside UTF-8 ones shows each
// as written, where reading the whole path as GBK would garble the UTF-8 names.
QString displayPath(const QString &path);

} // namespace tunora
