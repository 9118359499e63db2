#pragma once

#include <QByteArray>
#include <QString>

// GBK (code page 936, as glibc's CP936 table and Windows have it), the 8-bit text encoding of files that
// Windows programs in Chinese write. The conversion keeps every byte, with the convention of
// filenames.h: a byte that starts no GBK character decodes to the lone surrogate
// U+DC80..U+DCFF, and such a surrogate encodes back to its byte.
namespace tunora {

QString decodeGbk(const QByteArray &bytes);

// A character that GBK has no code for becomes '?' and sets *ok to false.
QByteArray encodeGbk(const QString &text, bool *ok = nullptr);

} // namespace tunora
