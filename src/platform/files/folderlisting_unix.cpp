#include "folderlisting.h"

#include "filenames.h"

#include <dirent.h>
#include <sys/stat.h>

namespace tunora {

struct FolderListing::State {
    DIR *dir = nullptr;
    const dirent *entry = nullptr;

    bool hasType(unsigned char type, mode_t mode) const
    {
        if (entry->d_type == type)
            return true;
        if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
            return false;
        // Links and file systems that do not report the type: ask for the target's type.
        struct stat st {};
        return fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && (st.st_mode & S_IFMT) == mode;
    }
};

FolderListing::FolderListing(const FilePath &folder) : m_state(std::make_unique<State>())
{
    const QByteArray path = folder.isEmpty() ? QByteArrayLiteral(".") : folder.bytes();
    m_state->dir = opendir(path.constData());
}

FolderListing::~FolderListing()
{
    if (m_state->dir)
        closedir(m_state->dir);
}

bool FolderListing::isOpen() const
{
    return m_state->dir != nullptr;
}

bool FolderListing::next()
{
    m_state->entry = m_state->dir ? readdir(m_state->dir) : nullptr;
    return m_state->entry != nullptr;
}

QString FolderListing::name() const
{
    return decodeFileName(QByteArray(m_state->entry->d_name));
}

bool FolderListing::isRegularFile() const
{
    return m_state->hasType(DT_REG, S_IFREG);
}

bool FolderListing::isFolder() const
{
    return m_state->hasType(DT_DIR, S_IFDIR);
}

} // namespace tunora
