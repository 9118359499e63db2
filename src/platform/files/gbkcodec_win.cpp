#include "gbkcodec.h"

#include "byteescapes.h"

#include <windows.h>

namespace tunora {

using namespace byteescapes;

namespace {

// Windows' own code page 936, the table Chinese Windows programs write GBK with.
constexpr UINT kGbk = 936;

// The character `bytes` (one byte, or a lead and a trail byte) stands for; 0 when none.
char16_t gbkCharacter(const char *bytes, int count)
{
    wchar_t unit[2];
    const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, count, unit, 2);
    return n == 1 ? char16_t(unit[0]) : 0;
}

} // namespace

QString decodeGbk(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(bytes.size());
    // A character at a time, so that a byte that starts none keeps its value and the
    // characters after it still decode.
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        if (byte < 0x80) {
            out.append(QChar(char16_t(byte)));
            ++i;
        } else if (char16_t pair = i + 1 < bytes.size() ? gbkCharacter(bytes.constData() + i, 2) : 0) {
            out.append(QChar(pair));
            i += 2;
        } else if (char16_t single = gbkCharacter(bytes.constData() + i, 1)) {
            out.append(QChar(single));
            ++i;
        } else {
            out.append(escapeByte(byte));
            ++i;
        }
    }
    return out;
}

QByteArray encodeGbk(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    if (isAscii(text))
        return text.toLatin1();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            out.append(char(unit));
            continue;
        }
        if (isByteEscape(text, i)) {
            out.append(char(unit - 0xDC00));
            continue;
        }
        // A pair outside the BMP is one character, and GBK has none of them.
        const int units = QChar::isHighSurrogate(unit) && i + 1 < text.size()
                && QChar::isLowSurrogate(text.at(i + 1).unicode()) ? 2 : 1;
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t *>(text.constData() + i),
                                          units, bytes, sizeof(bytes), nullptr, &usedDefault);
        if (n > 0 && !usedDefault) {
            out.append(bytes, n);
        } else {
            if (ok)
                *ok = false;
            out.append('?');
        }
        i += units - 1;
    }
    return out;
}

} // namespace tunora
