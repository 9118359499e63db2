#include "utf16codec.h"

namespace tunora {

QString decodeUtf16(const QByteArray &bytes, ByteOrder order)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (qsizetype i = 0; i < units; ++i) {
        const unsigned char first = s[2 * i];
        const unsigned char second = s[2 * i + 1];
        const char16_t unit = order == ByteOrder::LittleEndian ? char16_t(first | second << 8)
                                                               : char16_t(first << 8 | second);
        text[i] = QChar(unit);
    }
    return text;
}

QByteArray encodeUtf16(const QString &text, ByteOrder order)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const char low = char(unit & 0xFF);
        const char high = char(unit >> 8);
        bytes[2 * i] = order == ByteOrder::LittleEndian ? low : high;
        bytes[2 * i + 1] = order == ByteOrder::LittleEndian ? high : low;
    }
    return bytes;
}

} // namespace tunora
