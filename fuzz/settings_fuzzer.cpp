// The settings file's reader and writer on arbitrary bytes, and the GBK conversion under it.
//
// Input: a file, then the value of one write, then two bytes: the value's length (modulo 48)
// and the choice of section, key and how the value's bytes become text. The codecs see the
// whole input.

#include "fuzzcheck.h"

#include "platform/files/filenames.h"
#include "platform/files/gbkcodec.h"
#include "platform/settings/inidocument.h"
#include "platform/settings/utf16codec.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

using namespace tunora;
using namespace tunora::fuzz;
using namespace Qt::StringLiterals;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

// What a name or value reads back as: without the blanks around it.
QString trimmedBlanks(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text.at(from)))
        ++from;
    while (to > from && isBlank(text.at(to - 1)))
        --to;
    return text.mid(from, to - from);
}

// Names are the same when only the case of ASCII letters differs.
bool sameName(const QString &a, const QString &b)
{
    const QString x = trimmedBlanks(a);
    const QString y = trimmedBlanks(b);
    if (x.size() != y.size())
        return false;
    for (qsizetype i = 0; i < x.size(); ++i) {
        char16_t p = x.at(i).unicode();
        char16_t q = y.at(i).unicode();
        if (p < 0x80 && p >= u'A' && p <= u'Z')
            p += 32;
        if (q < 0x80 && q >= u'A' && q <= u'Z')
            q += 32;
        if (p != q)
            return false;
    }
    return true;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// Text a file of bytes can hold: what the byte conversion gives back (a key cut in the middle
// of a surrogate pair is not).
bool keepsItsText(const QString &text)
{
    return decodeFileName(encodeFileName(text)) == text;
}

bool acceptable(const QString &section, const QString &key, const QString &value)
{
    const QString s = trimmedBlanks(section);
    const QString k = trimmedBlanks(key);
    return !s.isEmpty() && !k.isEmpty() && !hasLineBreak(s) && !hasLineBreak(k) && !hasLineBreak(value)
        && !k.contains(u'=') && !k.startsWith(u'[') && !k.startsWith(u';') && keepsItsText(s)
        && keepsItsText(k) && keepsItsText(value);
}

// The first section name and the first key name of the text, roughly as an INI reader
// sees them: only used to aim writes and reads at names the file holds.
void namesIn(const QString &text, QString *section, QString *key)
{
    for (const QString &rawLine : text.split(u'\n')) {
        const QString line = trimmedBlanks(rawLine);
        if (section->isEmpty() && line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0)
                *section = line.mid(1, close - 1);
        } else if (key->isEmpty() && !line.startsWith(u'[') && !line.startsWith(u';')) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0)
                *key = line.left(equals);
        }
    }
}

// The names a file holds, in the encoding the document reads it with.
void namesInFile(const QByteArray &file, QString *section, QString *key)
{
    const IniDocument document(file);
    switch (document.encoding()) {
    case IniDocument::Encoding::Utf16Le:
        namesIn(decodeUtf16(file.mid(2), ByteOrder::LittleEndian), section, key);
        return;
    case IniDocument::Encoding::Utf16Be:
        namesIn(decodeUtf16(file.mid(2), ByteOrder::BigEndian), section, key);
        return;
    case IniDocument::Encoding::Utf8:
        namesIn(decodeFileName(file.startsWith("\xEF\xBB\xBF") ? file.mid(3) : file), section, key);
        return;
    case IniDocument::Encoding::Gbk:
        namesIn(decodeGbk(file), section, key);
        return;
    }
}

// Windows drops one pair of matching quotes around a value as read.
bool inQuotes(const QString &text)
{
    return text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front();
}

// A value reads back exactly, or without its surrounding blanks when nothing quoted it.
bool readsBackAs(const QString &read, const QString &written)
{
    return read == written || (!inQuotes(trimmedBlanks(written)) && read == trimmedBlanks(written));
}

QString asciiUpper(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            c = QChar(char16_t(c.unicode() - 32));
    }
    return out;
}

QString valueText(const QByteArray &bytes, int kind)
{
    switch (kind) {
    case 0:
        return QString::fromUtf8(bytes);
    case 1:
        return decodeGbk(bytes);
    case 2:
        return decodeFileName(bytes); // raw bytes as escapes
    default:
        return QString::fromLatin1(bytes);
    }
}

void checkCodecs(const QByteArray &bytes)
{
    const QString gbkText = decodeGbk(bytes);
    check(encodeGbk(gbkText) == bytes, "GBK decode then encode keeps every byte",
          escaped(bytes) + u" -> "_s + escaped(gbkText) + u" -> "_s + escaped(encodeGbk(gbkText)));
    const QString name = decodeFileName(bytes);
    check(encodeFileName(name) == bytes, "file name decode then encode keeps every byte", escaped(bytes));
}

void checkDocument(const QByteArray &file, const QString &section, const QString &key,
                   const QString &value)
{
    IniDocument document(file);
    check(document.toBytes() == file, "an unchanged document gives back its bytes", escaped(file));
    if (!document.isSupported()) {
        check(!document.setValue(section, key, value), "a UTF-16 file cut off mid-character is never changed");
        return;
    }

    // Names to compare before and after: fixed ones, and the ones the file holds.
    QString fileSection;
    QString fileKey;
    namesInFile(file, &fileSection, &fileKey);
    const QList<QString> sections = {u"歌曲目录"_s, u"Settings"_s, fileSection, section};
    const QList<QString> keys = {u"路径"_s, u"param"_s, fileKey, key};
    QList<QString> before;
    for (const QString &s : sections) {
        for (const QString &k : keys)
            before.append(document.value(s, k));
    }

    const bool accepted = document.setValue(section, key, value);
    check(accepted == acceptable(section, key, value), "setValue accepts exactly the names and values it can hold",
          escaped(section) + u" / "_s + escaped(key) + u" = "_s + escaped(value));
    const QByteArray written = document.toBytes();
    if (!accepted) {
        check(written == file, "a refused write changes nothing");
        return;
    }

    check(readsBackAs(document.value(section, key), value), "the written value reads back from the document",
          escaped(document.value(section, key)) + u" != "_s + escaped(value));
    const IniDocument reread(written);
    const QString detail = u"file "_s + escaped(file) + u"\nwritten "_s + escaped(written) + u"\n["_s
        + escaped(section) + u"] "_s + escaped(key) + u"="_s + escaped(value);
    check(readsBackAs(reread.value(section, key), value), "the written value reads back from the rewritten file",
          u"read "_s + escaped(reread.value(section, key)) + u"\n"_s + detail);
    const bool utf16 = document.encoding() == IniDocument::Encoding::Utf16Le
        || document.encoding() == IniDocument::Encoding::Utf16Be;
    check(!utf16 || reread.encoding() == document.encoding(), "a UTF-16 file stays UTF-16 in its byte order",
          detail);
    qsizetype i = 0;
    for (const QString &s : sections) {
        for (const QString &k : keys) {
            const QString now = reread.value(s, k);
            if (!(sameName(s, section) && sameName(k, key)))
                check(now == before.at(i), "other keys keep their values",
                      u"["_s + escaped(s) + u"] "_s + escaped(k) + u": "_s + escaped(before.at(i)) + u" -> "_s
                          + escaped(now) + u"\n"_s + detail);
            ++i;
        }
    }
    check(IniDocument(written).toBytes() == written, "a rewritten file reads and writes back unchanged", detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkCodecs(bytes);

    const int choice = size > 0 ? data[size - 1] : 0;
    const qsizetype valueLength = size > 1 ? qMin<qsizetype>(data[size - 2] % 48, qsizetype(size) - 2) : 0;
    const qsizetype valueStart = qMax<qsizetype>(qsizetype(size) - 2 - valueLength, 0);
    const QString value = valueText(bytes.mid(valueStart, valueLength), (choice >> 4) & 3);

    QString fileSection;
    QString fileKey;
    namesInFile(bytes.left(valueStart), &fileSection, &fileKey);
    const QString sectionChoices[] = {u"歌曲目录"_s, u" Settings "_s, fileSection, asciiUpper(fileSection)};
    const QString keyChoices[] = {u"路径"_s, u"Param"_s, fileKey, asciiUpper(fileKey)};
    const QString section = sectionChoices[choice & 3];
    const QString key = (choice & 0x40) ? value.left(6) : keyChoices[(choice >> 2) & 3];

    checkDocument(bytes.left(valueStart), section, key, value);
    return 0;
}
