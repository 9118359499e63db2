#include "songsearch.h"

#include "platform/files/filenames.h"

namespace tunora {

namespace {

QString foldLatin(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

} // namespace

bool containsIgnoringLatinCase(const QString &text, const QString &part)
{
    return foldLatin(text).contains(foldLatin(part));
}

QStringList songsContaining(const QStringList &entries, const QString &part)
{
    QStringList found;
    if (part.isEmpty())
        return found;
    const QString folded = foldLatin(part);
    for (const QString &entry : entries) {
        if (foldLatin(displayFileName(entry)).contains(folded))
            found.append(entry);
    }
    return found;
}

} // namespace tunora
