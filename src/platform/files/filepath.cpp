#include "filepath.h"

#include "filenames.h"

#include <QDir>

namespace tunora {

FilePath FilePath::fromBytes(const QByteArray &bytes)
{
    return FilePath(decodeFileName(bytes));
}

QByteArray FilePath::bytes() const
{
    return encodeFileName(m_text);
}

bool FilePath::isAbsolute() const
{
#ifdef Q_OS_WIN
    // A drive's root ("C:/") or a share ("//server/share"); "C:a" is relative to that drive's
    // current folder, and "/a" to the current drive.
    return (m_text.size() >= 3 && m_text.at(0).isLetter() && m_text.at(1) == QLatin1Char(':')
            && m_text.at(2) == QLatin1Char('/'))
        || m_text.startsWith(QLatin1String("//"));
#else
    return m_text.startsWith(QLatin1Char('/'));
#endif
}

#ifdef Q_OS_WIN
std::wstring FilePath::nativePath() const
{
    QString native = m_text;
    native.replace(QLatin1Char('/'), QLatin1Char('\\'));
    // Past MAX_PATH the calls need the extended form, which takes the path as it is.
    if (native.size() >= 248 && isAbsolute()) {
        if (native.startsWith(QLatin1String("\\\\")))
            native = QLatin1String("\\\\?\\UNC\\") + native.mid(2);
        else
            native.prepend(QLatin1String("\\\\?\\"));
    }
    return native.toStdWString();
}

FilePath FilePath::fromNative(const wchar_t *path)
{
    QString text = QString::fromWCharArray(path);
    if (text.startsWith(QLatin1String("\\\\?\\UNC\\")))
        text = QLatin1String("\\\\") + text.mid(8);
    else if (text.startsWith(QLatin1String("\\\\?\\")))
        text = text.mid(4);
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return FilePath(text);
}
#endif

FilePath FilePath::operator/(const QString &name) const
{
    if (m_text.isEmpty())
        return FilePath(name);
    if (m_text.endsWith(QLatin1Char('/')))
        return FilePath(m_text + name);
    return FilePath(m_text + QLatin1Char('/') + name);
}

FilePath FilePath::folder() const
{
    QString path = m_text;
#ifdef Q_OS_WIN
    // A drive's root is its own folder, like "/".
    if (path.size() == 3 && path.at(1) == QLatin1Char(':') && path.at(2) == QLatin1Char('/'))
        return *this;
#endif
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return FilePath();
#ifdef Q_OS_WIN
    // A drive's root keeps its "/": "C:" alone is that drive's current folder.
    if (slash == 2 && path.at(1) == QLatin1Char(':'))
        return FilePath(path.left(3));
#endif
    return FilePath(slash == 0 ? QStringLiteral("/") : path.left(slash));
}

QString FilePath::fileName() const
{
    return m_text.mid(m_text.lastIndexOf(QLatin1Char('/')) + 1);
}

FilePath FilePath::cleaned() const
{
    // Works on the text only; the escapes of bytes that are not UTF-8 are characters like
    // any other there, and "/" and "." are never among them.
    return FilePath(QDir::cleanPath(m_text));
}

} // namespace tunora
