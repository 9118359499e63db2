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
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return FilePath();
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
