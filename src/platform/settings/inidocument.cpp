#include "inidocument.h"

#include "platform/files/filenames.h"
#include "platform/files/gbkcodec.h"
#include "utf16codec.h"

#include <QStringDecoder>

namespace tunora {

namespace {

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray kUtf16LeBom = QByteArrayLiteral("\xFF\xFE");
const QByteArray kUtf16BeBom = QByteArrayLiteral("\xFE\xFF");

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder works only when its result is made into a string.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QString trimmed(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text.at(from)))
        ++from;
    while (to > from && isBlank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

// Windows compares names without regard to case; we fold ASCII letters only.
bool sameName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a.at(i).unicode();
        const char16_t y = b.at(i).unicode();
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80 || QChar::toLower(x) != QChar::toLower(y))
            return false;
    }
    return true;
}

bool hasByteEscapes(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode())))
            return true;
    }
    return false;
}

bool fitsGbk(const QString &text)
{
    bool ok = false;
    (void)encodeGbk(text, &ok);
    return ok && !hasByteEscapes(text);
}

struct ParsedLine {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;
    QString value;
};

ParsedLine parseLine(const QString &line)
{
    const QString text = trimmed(line);
    if (text.startsWith(u'[')) {
        const qsizetype close = text.lastIndexOf(u']');
        if (close < 0)
            return {};
        return {ParsedLine::Section, trimmed(text.mid(1, close - 1)), {}};
    }
    if (text.startsWith(u';'))
        return {};
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return {};
    const QString name = trimmed(text.left(equals));
    if (name.isEmpty())
        return {};
    return {ParsedLine::Key, name, trimmed(text.mid(equals + 1))};
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// The quote that Windows drops from both ends of a value as read, or none.
QChar enclosingQuote(const QString &value)
{
    if (value.size() < 2)
        return {};
    const QChar first = value.front();
    return (first == u'"' || first == u'\'') && value.back() == first ? first : QChar();
}

QString withoutEnclosingQuotes(const QString &value)
{
    return enclosingQuote(value).isNull() ? value : value.mid(1, value.size() - 2);
}

// The text that goes after "key=" so that Windows and we read `value` back: inside the quote
// that the replaced value had, or inside double quotes when its own would be dropped.
QString storedValue(const QString &value, QChar keptQuote)
{
    if (!keptQuote.isNull())
        return keptQuote + value + keptQuote;
    if (!enclosingQuote(trimmed(value)).isNull())
        return u'"' + value + u'"';
    return value;
}

// Splits at line feeds, keeping each line's ending; `body` holds bytes or UTF-16 units.
template <typename Text, typename Unit, typename Encode>
void splitAtLineFeeds(const Text &body, Unit lineFeed, Unit carriageReturn, Encode encode,
                      QList<QByteArray> &contents, QList<QByteArray> &endings)
{
    Text crlfText(1, carriageReturn);
    crlfText.append(lineFeed);
    const QByteArray crlf = encode(crlfText);
    const QByteArray lf = encode(Text(1, lineFeed));
    qsizetype start = 0;
    while (start < body.size()) {
        const qsizetype end = body.indexOf(lineFeed, start);
        if (end < 0) {
            contents.append(encode(body.mid(start)));
            endings.append(QByteArray());
            return;
        }
        const bool afterReturn = end > start && body.at(end - 1) == carriageReturn;
        contents.append(encode(body.mid(start, end - start - (afterReturn ? 1 : 0))));
        endings.append(afterReturn ? crlf : lf);
        start = end + 1;
    }
}

} // namespace

IniDocument::IniDocument(const QByteArray &bytes)
{
    if (bytes.startsWith(kUtf16LeBom) || bytes.startsWith(kUtf16BeBom)) {
        m_encoding = bytes.startsWith(kUtf16LeBom) ? Encoding::Utf16Le : Encoding::Utf16Be;
        m_bom = true;
        if (bytes.size() % 2 != 0) {
            m_truncatedUtf16 = true;
            m_unsupportedBytes = bytes;
            return;
        }
        m_newline = encode(QStringLiteral(u"\r\n"));
        splitLines(bytes.mid(kUtf16LeBom.size()));
        return;
    }
    QByteArray body = bytes;
    if (body.startsWith(kUtf8Bom)) {
        m_bom = true;
        body.remove(0, kUtf8Bom.size());
    }
    m_encoding = m_bom || (!isAscii(body) && isValidUtf8(body)) ? Encoding::Utf8 : Encoding::Gbk;

    splitLines(body);
}

void IniDocument::splitLines(const QByteArray &body)
{
    QList<QByteArray> contents;
    QList<QByteArray> endings;
    if (isUtf16()) {
        const auto toBytes = [this](const QString &text) { return encode(text); };
        splitAtLineFeeds(decode(body), QChar(u'\n'), QChar(u'\r'), toBytes, contents, endings);
    } else {
        // '\n' is never part of a GBK or UTF-8 character, so lines split on bytes.
        const auto same = [](const QByteArray &bytes) { return bytes; };
        splitAtLineFeeds(body, '\n', '\r', same, contents, endings);
    }
    for (qsizetype i = 0; i < contents.size(); ++i)
        m_lines.append({contents.at(i), endings.at(i)});
    if (!endings.isEmpty() && !endings.front().isEmpty())
        m_newline = endings.front();
}

QString IniDocument::decode(const QByteArray &bytes) const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return decodeFileName(bytes);
    case Encoding::Utf16Le:
        return decodeUtf16(bytes, ByteOrder::LittleEndian);
    case Encoding::Utf16Be:
        return decodeUtf16(bytes, ByteOrder::BigEndian);
    case Encoding::Gbk:
        break;
    }
    return decodeGbk(bytes);
}

QByteArray IniDocument::encode(const QString &text) const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return encodeFileName(text);
    case Encoding::Utf16Le:
        return encodeUtf16(text, ByteOrder::LittleEndian);
    case Encoding::Utf16Be:
        return encodeUtf16(text, ByteOrder::BigEndian);
    case Encoding::Gbk:
        break;
    }
    return encodeGbk(text);
}

void IniDocument::switchToUtf8()
{
    if (m_encoding != Encoding::Gbk)
        return;
    for (Line &line : m_lines)
        line.content = encodeFileName(decodeGbk(line.content));
    m_encoding = Encoding::Utf8;
}

QString IniDocument::value(const QString &section, const QString &key) const
{
    if (m_truncatedUtf16)
        return {};
    const QString sectionName = trimmed(section);
    const QString keyName = trimmed(key);
    bool inSection = false;
    for (const Line &line : m_lines) {
        const ParsedLine parsed = parseLine(decode(line.content));
        if (parsed.kind == ParsedLine::Section) {
            if (inSection)
                return {}; // only the first matching section counts
            inSection = sameName(parsed.name, sectionName);
        } else if (parsed.kind == ParsedLine::Key && inSection && sameName(parsed.name, keyName)) {
            return withoutEnclosingQuotes(parsed.value);
        }
    }
    return {};
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimmed(section);
    const QString keyName = trimmed(key);
    if (m_truncatedUtf16 || sectionName.isEmpty() || keyName.isEmpty() || hasLineBreak(sectionName)
        || hasLineBreak(keyName) || hasLineBreak(value) || keyName.contains(u'=')
        || keyName.startsWith(u'[') || keyName.startsWith(u';'))
        return false;
    // A GBK or UTF-8 file holds bytes: text that does not survive the trip to bytes would
    // read back as other text, and a key so written would never be found again. The same
    // rule holds for UTF-16 files, so that a name is storable whatever the file's encoding.
    if (!roundTripsThroughBytes(sectionName) || !roundTripsThroughBytes(keyName)
        || !roundTripsThroughBytes(value))
        return false;

    // Find the first matching section, its first matching key, and its last key line.
    qsizetype sectionLine = -1;
    qsizetype keyLine = -1;
    qsizetype lastLineOfSection = -1;
    for (qsizetype i = 0; i < m_lines.size() && keyLine < 0; ++i) {
        const ParsedLine parsed = parseLine(decode(m_lines.at(i).content));
        if (parsed.kind == ParsedLine::Section) {
            if (sectionLine >= 0)
                break;
            if (sameName(parsed.name, sectionName))
                sectionLine = lastLineOfSection = i;
        } else if (parsed.kind == ParsedLine::Key && sectionLine >= 0) {
            lastLineOfSection = i;
            if (sameName(parsed.name, keyName))
                keyLine = i;
        }
    }

    // The key's line as written, up to where its value starts, and the value's quote.
    QString keyLinePrefix;
    QChar keptQuote;
    if (keyLine >= 0) {
        const QString text = decode(m_lines.at(keyLine).content);
        qsizetype valueStart = text.indexOf(u'=') + 1;
        while (valueStart < text.size() && (text.at(valueStart) == u' ' || text.at(valueStart) == u'\t'))
            ++valueStart;
        keyLinePrefix = text.left(valueStart);
        keptQuote = enclosingQuote(trimmed(text.mid(valueStart)));
    }
    const QString stored = storedValue(value, keptQuote);
    const QString keyText = keyName + u'=' + stored;
    const QString sectionText = u'[' + sectionName + u']';
    const bool fits = keyLine >= 0 ? fitsGbk(stored)
            : sectionLine >= 0    ? fitsGbk(keyText)
                                  : fitsGbk(keyText) && fitsGbk(sectionText);
    if (!fits)
        switchToUtf8();

    if (keyLine >= 0) {
        // Keep the key as written, and the spaces after '=', byte for byte.
        QByteArray &content = m_lines[keyLine].content;
        content = content.left(encode(keyLinePrefix).size()) + encode(stored);
    } else {
        QList<Line> added;
        if (sectionLine < 0)
            added.append({encode(sectionText), m_newline});
        added.append({encode(keyText), m_newline});
        const qsizetype insertAt = sectionLine >= 0 ? lastLineOfSection + 1 : m_lines.size();
        if (insertAt > 0 && m_lines[insertAt - 1].ending.isEmpty())
            m_lines[insertAt - 1].ending = m_newline;
        for (qsizetype i = 0; i < added.size(); ++i)
            m_lines.insert(insertAt + i, added.at(i));
    }

    // GBK bytes that happen to be valid UTF-8 (茅 is C3 A9, é in UTF-8) would read back as
    // other text; with no other GBK text in the file to tell them apart, it becomes UTF-8.
    if (m_encoding == Encoding::Gbk) {
        QByteArray body;
        for (const Line &line : std::as_const(m_lines))
            body += line.content;
        if (!isAscii(body) && isValidUtf8(body))
            switchToUtf8();
    }
    return true;
}

QByteArray IniDocument::toBytes() const
{
    if (m_truncatedUtf16)
        return m_unsupportedBytes;
    QByteArray body;
    for (const Line &line : m_lines)
        body += line.content + line.ending;
    if (m_encoding == Encoding::Utf16Le)
        return kUtf16LeBom + body;
    if (m_encoding == Encoding::Utf16Be)
        return kUtf16BeBom + body;
    const bool bom = m_encoding == Encoding::Utf8 && (m_bom || !isValidUtf8(body));
    return bom ? kUtf8Bom + body : body;
}

} // namespace tunora
