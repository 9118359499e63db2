#include "folderlisting.h"

#include <windows.h>

namespace tunora {

struct FolderListing::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW entry{};
    bool first = true; // FindFirstFileExW has read the first entry already
};

FolderListing::FolderListing(const FilePath &folder) : m_state(std::make_unique<State>())
{
    const FilePath pattern = (folder.isEmpty() ? FilePath(QStringLiteral(".")) : folder) / QStringLiteral("*");
    // Without the short 8.3 names, which nothing here shows, and in large batches.
    m_state->find = FindFirstFileExW(pattern.nativePath().c_str(), FindExInfoBasic, &m_state->entry,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

FolderListing::~FolderListing()
{
    if (m_state->find != INVALID_HANDLE_VALUE)
        FindClose(m_state->find);
}

bool FolderListing::isOpen() const
{
    return m_state->find != INVALID_HANDLE_VALUE;
}

bool FolderListing::next()
{
    if (m_state->find == INVALID_HANDLE_VALUE)
        return false;
    if (m_state->first) {
        m_state->first = false;
        return true;
    }
    return FindNextFileW(m_state->find, &m_state->entry);
}

QString FolderListing::name() const
{
    // UTF-16 as the file system holds it: nothing to decode.
    return QString::fromWCharArray(m_state->entry.cFileName);
}

bool FolderListing::isRegularFile() const
{
    return !(m_state->entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderListing::isFolder() const
{
    return m_state->entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
}

} // namespace tunora
