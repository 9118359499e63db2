#include "fileio.h"

#include <QRandomGenerator>

#include <climits>
#include <utility>

#include <windows.h>

namespace tunora {

namespace {

std::wstring native(const QByteArray &path)
{
    return FilePath::fromBytes(path).nativePath();
}

DWORD attributesOf(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str());
}

bool exists(const std::wstring &path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

HANDLE handleOf(FileHandle file)
{
    return static_cast<HANDLE>(file);
}

// Opens give back INVALID_HANDLE_VALUE on failure; the types hold that as kNoFile.
FileHandle fileHandle(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? kNoFile : handle;
}

bool writeAll(HANDLE file, const char *data, qint64 count)
{
    while (count > 0) {
        DWORD written = 0;
        const auto chunk = DWORD(qMin<qint64>(count, INT_MAX));
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        count -= written;
    }
    return true;
}

bool seekTo(HANDLE file, qint64 offset)
{
    LARGE_INTEGER at;
    at.QuadPart = offset;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
}

// A file replaced keeps who may read it and its attributes, as ReplaceFileW carries them over;
// a new name is a plain rename. A folder of the target's name stays, as rename() leaves one
// on other systems (Wine would put the file in an empty folder's place).
bool replaceOrMove(const std::wstring &temp, const std::wstring &target)
{
    const DWORD attributes = attributesOf(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (attributes != INVALID_FILE_ATTRIBUTES
        && ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// The offset goes with each read, so reads from several threads never share a position.
qint64 readAtHandle(HANDLE file, qint64 offset, char *buffer, qint64 count)
{
    qint64 done = 0;
    while (done < count) {
        OVERLAPPED at{};
        const qint64 position = offset + done;
        at.Offset = DWORD(position & 0xFFFFFFFF);
        at.OffsetHigh = DWORD(position >> 32);
        DWORD n = 0;
        if (!::ReadFile(file, buffer + done, DWORD(qMin<qint64>(count - done, INT_MAX)), &n, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

ReadFile::ReadFile(const FilePath &path)
{
    // Others may read, write and rename the song while it is open, as on other systems; a
    // pipe cannot stand where a song was, so only folders and devices are refused below.
    const HANDLE file = CreateFileW(path.nativePath().c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    m_fd = fileHandle(file);
    if (m_fd == kNoFile)
        return;
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        m_fd = kNoFile;
        return;
    }
    m_size = size.QuadPart;
}

ReadFile::~ReadFile()
{
    if (m_fd != kNoFile)
        CloseHandle(handleOf(m_fd));
}

ReadFile::ReadFile(ReadFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, kNoFile)), m_size(std::exchange(other.m_size, 0))
{
}

ReadFile &ReadFile::operator=(ReadFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd != kNoFile)
            CloseHandle(handleOf(m_fd));
        m_fd = std::exchange(other.m_fd, kNoFile);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

qint64 ReadFile::readAt(qint64 offset, char *buffer, qint64 count) const
{
    if (m_fd == kNoFile || offset < 0 || count < 0)
        return -1;
    return readAtHandle(handleOf(m_fd), offset, buffer, count);
}

bool readExactly(const ReadFile &file, qint64 offset, void *buffer, qint64 count)
{
    return count >= 0 && file.readAt(offset, static_cast<char *>(buffer), count) == count;
}

AtomicFileWriter::AtomicFileWriter(const FilePath &path) : m_target(path.bytes())
{
    // A file its owner made read-only is not replaced, as it could not be written in place.
    const DWORD attributes = attributesOf(path.nativePath());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return;
    // Same folder as the target, so that the final rename never crosses volumes.
    const QByteArray folder = m_target.left(m_target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 16 && m_fd == kNoFile; ++attempt) {
        m_temp = folder + ".tunora-" + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        m_fd = fileHandle(CreateFileW(native(m_temp).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_fd == kNoFile && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (m_fd == kNoFile)
        m_temp.clear();
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

bool AtomicFileWriter::write(const char *data, qint64 count)
{
    if (m_fd == kNoFile)
        return false;
    if (!writeAll(handleOf(m_fd), data, count)) {
        discard();
        return false;
    }
    m_size += count;
    return true;
}

bool AtomicFileWriter::truncate(qint64 size)
{
    if (m_fd == kNoFile || size < 0 || size > m_size)
        return false;
    if (!seekTo(handleOf(m_fd), size) || !SetEndOfFile(handleOf(m_fd))) {
        discard();
        return false;
    }
    m_size = size;
    return true;
}

bool AtomicFileWriter::readBack(QByteArray &bytes) const
{
    if (m_fd == kNoFile)
        return false;
    bytes.resize(m_size);
    // A positioned read on this handle moves its file pointer too: it goes back to the end,
    // where the next write belongs.
    return readAtHandle(handleOf(m_fd), 0, bytes.data(), m_size) == m_size && seekTo(handleOf(m_fd), m_size);
}

bool AtomicFileWriter::commit()
{
    if (m_fd == kNoFile)
        return false;
    const std::wstring target = native(m_target);
    // A file that replaces another is on the disk first, so that a crash leaves one of them.
    const bool synced = !exists(target) || FlushFileBuffers(handleOf(m_fd));
    const bool closed = CloseHandle(handleOf(m_fd));
    m_fd = kNoFile;
    const std::wstring temp = native(m_temp);
    if (!synced || !closed || !replaceOrMove(temp, target)) {
        DeleteFileW(temp.c_str());
        m_temp.clear();
        return false;
    }
    m_temp.clear();
    return true;
}

void AtomicFileWriter::discard()
{
    if (m_fd != kNoFile) {
        CloseHandle(handleOf(m_fd));
        m_fd = kNoFile;
    }
    if (!m_temp.isEmpty()) {
        DeleteFileW(native(m_temp).c_str());
        m_temp.clear();
    }
}

bool moveFile(const FilePath &from, const FilePath &to)
{
    if (folderExists(to))
        return false;
    // Across volumes the system copies and then removes the source; written through, the
    // moved file is on the disk before the call returns, as on commit.
    return MoveFileExW(from.nativePath().c_str(), to.nativePath().c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH);
}

bool fileExists(const FilePath &path)
{
    return exists(path.nativePath());
}

bool regularFileExists(const FilePath &path)
{
    const DWORD attributes = attributesOf(path.nativePath());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

QByteArray fileStamp(const FilePath &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.nativePath().c_str(), GetFileExInfoStandard, &data))
        return {};
    const quint64 size = (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const quint64 written = (quint64(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return QByteArray::number(size) + ':' + QByteArray::number(written);
}

bool folderExists(const FilePath &path)
{
    const DWORD attributes = attributesOf(path.nativePath());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool canCreateFilesIn(const FilePath &folder)
{
    // Windows grants by access lists that only an attempt reads right (Program Files is
    // read-only to a user without being marked so): a file that removes itself on close.
    if (!folderExists(folder))
        return false;
    const FilePath probe = folder / (QStringLiteral(".tunora-probe-")
                                     + QString::number(QRandomGenerator::global()->generate(), 36));
    const HANDLE file = CreateFileW(probe.nativePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool makeFolders(const FilePath &folder)
{
    const QString path = folder.text();
    if (path.isEmpty())
        return false;
    // Each folder from the top down, after the drive's root or the share's name; one that is
    // there already is passed.
    qsizetype from = 1;
    if (path.startsWith(QLatin1String("//"))) {
        const qsizetype share = path.indexOf(QLatin1Char('/'), path.indexOf(QLatin1Char('/'), 2) + 1);
        from = share < 0 ? path.size() : share + 1;
    } else if (folder.isAbsolute()) {
        from = 3;
    }
    for (qsizetype slash = path.indexOf(QLatin1Char('/'), from);;
         slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
        const FilePath part(slash < 0 ? path : path.left(slash));
        if (!CreateDirectoryW(part.nativePath().c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (slash < 0)
            break;
    }
    return folderExists(folder);
}

} // namespace tunora
