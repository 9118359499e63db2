#include "inidocument.h"

#include "filenames.h"
#include "gbkcodec.h"

#include <QStringDecoder>

namespace tunora {

namespace {

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

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

} // namespace

IniDocument::IniDocument(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        m_utf16 = true;
        return;
    }
    QByteArray body = bytes;
    if (body.startsWith(kUtf8Bom)) {
        m_bom = true;
        body.remove(0, kUtf8Bom.size());
    }
    m_encoding = m_bom || (!isAscii(body) && isValidUtf8(body)) ? Encoding::Utf8 : Encoding::Gbk;

    // '\n' is never part of a GBK or UTF-8 character, so lines split on bytes.
    qsizetype start = 0;
    bool newlineSeen = false;
    while (start < body.size()) {
        const qsizetype lf = body.indexOf('\n', start);
        Line line;
        if (lf < 0) {
            line.content = body.mid(start);
            start = body.size();
        } else {
            const bool crlf = lf > start && body.at(lf - 1) == '\r';
            line.content = body.mid(start, lf - start - (crlf ? 1 : 0));
            line.ending = crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
            start = lf + 1;
            if (!newlineSeen) {
                m_newline = line.ending;
                newlineSeen = true;
            }
        }
        m_lines.append(line);
    }
}

QString IniDocument::decode(const QByteArray &bytes) const
{
    return m_encoding == Encoding::Utf8 ? decodeFileName(bytes) : decodeGbk(bytes);
}

QByteArray IniDocument::encode(const QString &text) const
{
    return m_encoding == Encoding::Utf8 ? encodeFileName(text) : encodeGbk(text);
}

void IniDocument::switchToUtf8()
{
    if (m_encoding == Encoding::Utf8)
        return;
    for (Line &line : m_lines)
        line.content = encodeFileName(decodeGbk(line.content));
    m_encoding = Encoding::Utf8;
}

QString IniDocument::value(const QString &section, const QString &key) const
{
    if (m_utf16)
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
            return parsed.value;
        }
    }
    return {};
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimmed(section);
    const QString keyName = trimmed(key);
    if (m_utf16 || sectionName.isEmpty() || keyName.isEmpty() || hasLineBreak(sectionName)
        || hasLineBreak(keyName) || hasLineBreak(value) || keyName.contains(u'=')
        || keyName.startsWith(u'[') || keyName.startsWith(u';'))
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

    const QString keyText = keyName + u'=' + value;
    const QString sectionText = u'[' + sectionName + u']';
    const bool fits = keyLine >= 0 ? fitsGbk(value)
            : sectionLine >= 0    ? fitsGbk(keyText)
                                  : fitsGbk(keyText) && fitsGbk(sectionText);
    if (!fits)
        switchToUtf8();

    if (keyLine >= 0) {
        // Keep the key as written, and the spaces after '=', byte for byte.
        QByteArray &content = m_lines[keyLine].content;
        qsizetype valueStart = content.indexOf('=') + 1;
        while (valueStart < content.size() && (content.at(valueStart) == ' ' || content.at(valueStart) == '\t'))
            ++valueStart;
        content = content.left(valueStart) + encode(value);
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
    QByteArray body;
    for (const Line &line : m_lines)
        body += line.content + line.ending;
    const bool bom = m_encoding == Encoding::Utf8 && (m_bom || !isValidUtf8(body));
    return bom ? kUtf8Bom + body : body;
}

} // namespace tunora
