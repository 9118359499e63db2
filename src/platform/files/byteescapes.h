#pragma once

#include <QByteArray>
#include <QString>

// The convention the GBK codec shares with filenames.h: a byte that is no character of the
// encoding is kept as the lone surrogate U+DC80..U+DCFF.
namespace tunora::byteescapes {

inline bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

inline bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

inline QChar escapeByte(unsigned char byte)
{
    return byte < 0x80 ? QChar(char16_t(byte)) : QChar(char16_t(0xDC00 + byte));
}

// A lone U+DC80..U+DCFF stands for one raw byte.
inline bool isByteEscape(const QString &text, qsizetype i)
{
    const char16_t u = text.at(i).unicode();
    return u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode()));
}

} // namespace tunora::byteescapes
