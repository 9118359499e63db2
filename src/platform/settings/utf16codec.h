#pragma once

#include <QByteArray>
#include <QString>

// UTF-16 in either byte order, as Notepad's "Unicode" files hold it. Units map one to one
// to QChars, lone surrogates included, so decoding then encoding keeps every byte of an
// even-length input.
namespace tunora {

enum class ByteOrder { LittleEndian, BigEndian };

// A trailing odd byte is dropped; callers that must keep bytes reject odd lengths first.
QString decodeUtf16(const QByteArray &bytes, ByteOrder order);
QByteArray encodeUtf16(const QString &text, ByteOrder order);

} // namespace tunora
