#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tunora {

// A Windows-style INI file held as its bytes: "[section]" lines and "key=value" lines.
// Lookups follow Windows: the first matching section and the first matching key in it win,
// names compare without case for ASCII letters (exactly otherwise), and spaces around names
// and values do not count. A change touches one line, or adds lines, and every other line
// keeps its bytes, line ending included.
//
// Values: like Windows, one pair of matching double or single quotes around a value is not
// part of it ("随机" reads as 随机). A value that would lose quotes of its own, and a value that
// replaces a quoted one, is written inside quotes, so that both readers get it back as written.
//
// Encoding: a file with a UTF-16 byte order mark (Notepad's "Unicode") is UTF-16 in that byte
// order; a file with a UTF-8 byte order mark, or with non-ASCII text that is valid UTF-8,
// is UTF-8; everything else is GBK, the code page of the Windows program whose files we keep
// reading. Text that GBK cannot hold, or a write that would leave a GBK file reading as valid
// UTF-8, switches the whole file to UTF-8. Raw file-name bytes (the escapes of filenames.h)
// are written as those bytes, in UTF-8 mode only, since in a GBK file they would read back as
// GBK characters; a UTF-8 file that such bytes make invalid gets a byte order mark so that it
// is still read as UTF-8. A UTF-16 file holds every text, those escapes included, and stays
// UTF-16.
class IniDocument {
public:
    enum class Encoding { Gbk, Utf8, Utf16Le, Utf16Be };

    explicit IniDocument(const QByteArray &bytes = {});

    // A UTF-16 file cut off in the middle of a character: we neither read nor rewrite it.
    bool isSupported() const { return !m_truncatedUtf16; }
    Encoding encoding() const { return m_encoding; }

    // Empty when the section or key is missing.
    QString value(const QString &section, const QString &key) const;

    // False, with nothing changed, for a name or value that the format cannot hold: an
    // empty name, a line break anywhere, a key with '=' or starting with '[' or ';', text
    // that does not survive the trip to bytes (roundTripsThroughBytes in filenames.h).
    bool setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toBytes() const;

private:
    struct Line {
        QByteArray content;
        QByteArray ending; // "\r\n", "\n", or empty for a last line without one
    };

    bool isUtf16() const { return m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be; }
    void splitLines(const QByteArray &body);
    QString decode(const QByteArray &bytes) const;
    QByteArray encode(const QString &text) const;
    void switchToUtf8();

    QList<Line> m_lines;
    Encoding m_encoding = Encoding::Gbk;
    bool m_bom = false;
    bool m_truncatedUtf16 = false;
    QByteArray m_unsupportedBytes; // kept as they came, for a file we do not read
    QByteArray m_newline = QByteArrayLiteral("\r\n"); // for new files: what Windows tools write
};

} // namespace tunora
