#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <utility>

// The one type every file operation takes. A path on this platform is bytes; it is held as
// text in the lossless encoding of filenames.h, so it shows, compares and joins as text and
// still leads back to every byte. Text the program already holds in that encoding (a name
// from a folder listing, the song folder, what a person typed) becomes a path with the
// constructor; a path the host gives (the program's folder, the current folder, the home
// and configuration folders) comes from hostpaths.h, read as its bytes, never through Qt's
// decoding, which loses or empties names that are not UTF-8.
//
// On Windows a path is UTF-16, which QString holds as it is; its text uses "/" between names
// like everywhere else, and nativePath() and fromNative() are the one place where it becomes
// what the Win32 calls take. bytes() is its UTF-8, which libraries that take a path as bytes
// (libmpv) read as UTF-16 again.
namespace tunora {

class FilePath {
public:
    FilePath() = default;
    // `text` in the lossless encoding; ordinary Unicode text always is.
    explicit FilePath(QString text) : m_text(std::move(text)) {}
    static FilePath fromBytes(const QByteArray &bytes);

    const QString &text() const { return m_text; }
    QByteArray bytes() const;
    bool isEmpty() const { return m_text.isEmpty(); }
    // "/a" here; "C:/a" or "//server/share" on Windows.
    bool isAbsolute() const;
#ifdef Q_OS_WIN
    // As the Win32 calls take it: "\\" between names, and a long path given the "\\?\"
    // prefix that lifts the 260-character limit.
    std::wstring nativePath() const;
    static FilePath fromNative(const wchar_t *path);
#endif

    // `name` (a file name or a relative path) in this folder, with one "/" between them; an
    // empty path leaves the name relative to the current folder.
    FilePath operator/(const QString &name) const;
    // The folder holding this path: "/a" for "/a/b" and "/a/b/", "/" for "/a" and "/";
    // empty (the current folder) for a bare name.
    FilePath folder() const;
    // The part after the last "/": "b.mp3" for "/a/b.mp3", a bare name whole, empty for a
    // path that ends with "/".
    QString fileName() const;
    // Without "." and ".." parts and doubled or trailing "/", by the text alone: links are
    // not followed.
    FilePath cleaned() const;

    friend bool operator==(const FilePath &, const FilePath &) = default;

private:
    QString m_text;
};

} // namespace tunora
