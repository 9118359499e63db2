#include "filenames.h"

#include "gbkcodec.h"

#include <QStringDecoder>
#include <QStringList>

namespace tunora {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not one.
int validUtf8Length(const unsigned char *s, qsizetype i, qsizetype n)
{
    const unsigned char c = s[i];
    int len = 0;
    char32_t cp = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (int k = 1; k < len; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return 0;
    return len;
}

// An escaped byte: a lone low surrogate in the escape range.
bool isEscape(const QString &text, qsizetype i)
{
    const char16_t u = text.at(i).unicode();
    return u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode()));
}

bool hasEscapes(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isEscape(text, i))
            return true;
    }
    return false;
}

} // namespace

QString decodeFileName(const QByteArray &bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        // Decode the longest valid run in one go; escape the bytes between runs.
        qsizetype j = i;
        int len = 0;
        while (j < n && (len = validUtf8Length(s, j, n)) > 0)
            j += len;
        // QString::fromUtf8 drops a leading byte order mark; in a name it is a character.
        if (j > i)
            out += QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
                       .decode(QByteArrayView(bytes).sliced(i, j - i));
        if (j < n) {
            out += QChar(char16_t(0xDC00 + s[j]));
            ++j;
        }
        i = j;
    }
    return out;
}

QByteArray encodeFileName(const QString &name)
{
    QByteArray out;
    out.reserve(name.size() * 3);
    qsizetype runStart = 0;
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!isEscape(name, i))
            continue;
        out += QStringView(name).mid(runStart, i - runStart).toUtf8();
        out += char(name.at(i).unicode() - 0xDC00);
        runStart = i + 1;
    }
    out += QStringView(name).mid(runStart).toUtf8();
    return out;
}

bool roundTripsThroughBytes(const QString &text)
{
    return decodeFileName(encodeFileName(text)) == text;
}

QString displayFileName(const QString &name)
{
    if (!hasEscapes(name))
        return name;
    const QString gbk = decodeGbk(encodeFileName(name));
    if (!hasEscapes(gbk))
        return gbk;
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isEscape(name, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString displayPath(const QString &path)
{
    if (!hasEscapes(path))
        return path;
    QStringList names = path.split(QLatin1Char('/'));
    for (QString &name : names)
        name = displayFileName(name);
    return names.join(QLatin1Char('/'));
}

} // namespace tunora
