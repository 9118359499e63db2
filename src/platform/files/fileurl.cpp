#include "fileurl.h"

#include <QUrl>

namespace tunora {

QString fileUrlOf(const FilePath &absolutePath)
{
    return QStringLiteral("file://") + QString::fromLatin1(absolutePath.bytes().toPercentEncoding("/"));
}

FilePath pathOfFileUrl(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.scheme() != QLatin1String("file"))
        return {};
    // A host other than this machine names a file elsewhere.
    if (!parsed.host().isEmpty() && parsed.host() != QLatin1String("localhost"))
        return {};
    const QByteArray bytes = QByteArray::fromPercentEncoding(parsed.path(QUrl::FullyEncoded).toLatin1());
    if (!bytes.startsWith('/'))
        return {};
    return FilePath::fromBytes(bytes);
}

} // namespace tunora
