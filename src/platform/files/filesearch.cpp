#include "filesearch.h"

#include "folderlisting.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace tunora {

namespace {

// The names found for one extension with their sort keys: the key a Windows file system
// sorts a folder's names by, every UTF-16 unit in upper case (folding to upper case, not
// lower, puts "_" and "[" after the letters). The keys share one buffer, each unit stored
// high byte first so that memcmp orders them as units, and sorting a large folder compares
// memory that lies together and allocates nothing per name.
class Found {
public:
    void add(const QString &name)
    {
        const auto offset = qsizetype(m_keys.size() / 2);
        for (QChar c : name) {
            char16_t unit = c.unicode();
            if (unit >= u'a' && unit <= u'z')
                unit -= u'a' - u'A';
            else if (unit >= 0x80)
                unit = c.toUpper().unicode();
            m_keys.push_back(static_cast<unsigned char>(unit >> 8));
            m_keys.push_back(static_cast<unsigned char>(unit & 0xFF));
        }
        m_entries.push_back({offset, name.size(), name});
    }

    QStringList sortedNames()
    {
        // Names equal but for case cannot share a Windows folder; here they sort by their
        // code units so that the order stays fixed.
        std::sort(m_entries.begin(), m_entries.end(), [this](const Entry &a, const Entry &b) {
            const int byKey = compareKeys(a, b);
            return byKey != 0 ? byKey < 0 : a.name < b.name;
        });
        QStringList names;
        names.reserve(qsizetype(m_entries.size()));
        for (Entry &entry : m_entries)
            names.append(std::move(entry.name));
        m_entries.clear();
        return names;
    }

private:
    struct Entry {
        qsizetype offset;
        qsizetype length;
        QString name;
    };
    int compareKeys(const Entry &a, const Entry &b) const
    {
        const qsizetype common = std::min(a.length, b.length);
        const int c = std::memcmp(m_keys.data() + 2 * a.offset, m_keys.data() + 2 * b.offset, size_t(2 * common));
        if (c != 0)
            return c;
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    }

    std::vector<unsigned char> m_keys;
    std::vector<Entry> m_entries;
};

} // namespace

bool hasExtension(QStringView name, QStringView extension)
{
    const qsizetype dot = name.size() - extension.size() - 1;
    return !extension.isEmpty() && dot >= 0 && name.at(dot) == QLatin1Char('.')
        && name.endsWith(extension, Qt::CaseInsensitive);
}

QList<QStringList> findFilesWithExtensions(const FilePath &folder, const QStringList &extensions)
{
    QList<QStringList> result(extensions.size());
    // Extensions that differ only in case find the same files: search each once.
    QStringList suffixes;
    QList<int> suffixOf;
    for (const QString &extension : extensions) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < suffixes.size() && at < 0; ++i) {
            if (suffixes[i].compare(extension, Qt::CaseInsensitive) == 0)
                at = i;
        }
        if (at < 0 && !extension.isEmpty()) {
            at = suffixes.size();
            suffixes.append(extension);
        }
        suffixOf.append(int(at));
    }
    if (suffixes.isEmpty())
        return result;

    FolderListing listing(folder);
    if (!listing.isOpen())
        return result;
    // One pass over the folder for all extensions: a large folder is read once.
    std::vector<Found> found(size_t(suffixes.size()));
    while (listing.next()) {
        const QString name = listing.name();
        int regular = -1; // asked only for names that match
        for (qsizetype i = 0; i < suffixes.size(); ++i) {
            if (!hasExtension(name, suffixes[i]))
                continue;
            if (regular < 0)
                regular = listing.isRegularFile() ? 1 : 0;
            if (regular)
                found[size_t(i)].add(name);
        }
    }

    std::vector<QStringList> sorted;
    sorted.reserve(found.size());
    for (Found &names : found)
        sorted.push_back(names.sortedNames());
    for (qsizetype i = 0; i < extensions.size(); ++i) {
        if (suffixOf[i] >= 0)
            result[i] = sorted[size_t(suffixOf[i])];
    }
    return result;
}

QStringList findSubfolders(const FilePath &folder)
{
    FolderListing listing(folder);
    Found found;
    while (listing.next()) {
        QString name = listing.name();
        if (name.startsWith(QLatin1Char('.')) || !listing.isFolder())
            continue;
        found.add(name);
    }
    return found.sortedNames();
}

QStringList findFilesWithExtension(const FilePath &folder, const QString &extension)
{
    return findFilesWithExtensions(folder, {extension}).constFirst();
}

} // namespace tunora
