#include "fileio.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tunora {

namespace {

// Repeats a system call interrupted by a signal.
template <typename Call>
auto retrying(Call call)
{
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

bool exists(const QByteArray &path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0;
}

// A file that is about to replace another goes to disk first, so a crash leaves the older
// file or the new one, never an empty one in its place. A new name has nothing to lose and
// skips the wait, which costs more than the write itself.
bool syncBeforeReplacing(int fd, const QByteArray &target)
{
    return !exists(target) || ::fdatasync(fd) == 0;
}

// Where a write of `path` lands: a link is followed to the name it leads to (which may not
// exist yet), so that a file kept elsewhere behind a link (a settings file in a collection
// of dotfiles) stays where it is and the link stays a link.
QByteArray followLinks(const QByteArray &path)
{
    QByteArray current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            return path;
        target.truncate(n);
        if (!target.startsWith('/'))
            target.prepend(current.left(current.lastIndexOf('/') + 1));
        current = target;
    }
    return path; // a loop of links: the write replaces the name itself
}

bool writeAll(int fd, const char *data, qint64 count)
{
    while (count > 0) {
        const ssize_t n = retrying([&] { return ::write(fd, data, size_t(qMin<qint64>(count, INT_MAX))); });
        if (n <= 0)
            return false;
        data += n;
        count -= n;
    }
    return true;
}

} // namespace

ReadFile::ReadFile(const FilePath &path)
{
    const QByteArray name = path.bytes();
    // Non-blocking, so that a pipe put where a song was cannot hold the open up waiting for
    // a writer; it is then refused below like anything else that is not a regular file.
    m_fd = retrying([&] { return ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); });
    if (m_fd < 0)
        return;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_size = st.st_size;
}

ReadFile::~ReadFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ReadFile::ReadFile(ReadFile &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(std::exchange(other.m_size, 0))
{
}

ReadFile &ReadFile::operator=(ReadFile &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

qint64 ReadFile::readAt(qint64 offset, char *buffer, qint64 count) const
{
    if (m_fd < 0 || offset < 0 || count < 0)
        return -1;
    qint64 done = 0;
    while (done < count) {
        const ssize_t n = retrying([&] {
            return ::pread(m_fd, buffer + done, size_t(qMin<qint64>(count - done, INT_MAX)),
                           off_t(offset + done));
        });
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool readExactly(const ReadFile &file, qint64 offset, void *buffer, qint64 count)
{
    return count >= 0 && file.readAt(offset, static_cast<char *>(buffer), count) == count;
}

AtomicFileWriter::AtomicFileWriter(const FilePath &path) : m_target(followLinks(path.bytes()))
{
    // Same directory as the target, so the final rename never crosses file systems. The
    // temporary name is short whatever the target's, so every name the directory can hold
    // can be written.
    // A file its owner made read-only is not replaced, as it could not be written in place.
    if (exists(m_target) && ::access(m_target.constData(), W_OK) != 0)
        return;
    const QByteArray directory = m_target.left(m_target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
        m_temp = directory + ".tunora-" + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        m_fd = retrying([&] {
            return ::open(m_temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        });
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_temp.clear();
        return;
    }
    // A file replaced keeps who may read it (a private file stays private).
    struct stat st {};
    if (::stat(m_target.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::fchmod(m_fd, st.st_mode & 07777) != 0)
        discard();
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

bool AtomicFileWriter::write(const char *data, qint64 count)
{
    if (m_fd < 0)
        return false;
    if (!writeAll(m_fd, data, count)) {
        discard();
        return false;
    }
    m_size += count;
    return true;
}

bool AtomicFileWriter::truncate(qint64 size)
{
    if (m_fd < 0 || size < 0 || size > m_size)
        return false;
    if (::ftruncate(m_fd, off_t(size)) != 0 || ::lseek(m_fd, off_t(size), SEEK_SET) != off_t(size)) {
        discard();
        return false;
    }
    m_size = size;
    return true;
}

bool AtomicFileWriter::readBack(QByteArray &bytes) const
{
    if (m_fd < 0)
        return false;
    bytes.resize(m_size);
    qint64 done = 0;
    while (done < m_size) {
        const ssize_t n = retrying([&] {
            return ::pread(m_fd, bytes.data() + done, size_t(qMin<qint64>(m_size - done, INT_MAX)), off_t(done));
        });
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (m_fd < 0)
        return false;
    const bool synced = syncBeforeReplacing(m_fd, m_target);
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed || ::rename(m_temp.constData(), m_target.constData()) != 0) {
        ::unlink(m_temp.constData());
        m_temp.clear();
        return false;
    }
    m_temp.clear();
    return true;
}

void AtomicFileWriter::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
}

bool moveFile(const FilePath &from, const FilePath &to)
{
    const QByteArray source = from.bytes();
    const QByteArray target = to.bytes();
    if (exists(target)) {
        const int fd = retrying([&] { return ::open(source.constData(), O_RDONLY | O_CLOEXEC); });
        if (fd < 0)
            return false;
        const bool synced = ::fdatasync(fd) == 0;
        ::close(fd);
        if (!synced)
            return false;
    }
    if (::rename(source.constData(), target.constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    ReadFile in(from);
    if (!in.isOpen())
        return false;
    AtomicFileWriter out(to);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (qint64 offset = 0;;) {
        const qint64 n = in.readAt(offset, buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!out.write(buffer.constData(), n))
            return false;
        offset += n;
    }
    return out.commit() && ::unlink(source.constData()) == 0;
}

bool fileExists(const FilePath &path)
{
    return exists(path.bytes());
}

bool regularFileExists(const FilePath &path)
{
    struct stat st {};
    return ::stat(path.bytes().constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const FilePath &path)
{
    struct stat st {};
    return ::stat(path.bytes().constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QByteArray fileStamp(const FilePath &path)
{
    struct stat st {};
    if (::stat(path.bytes().constData(), &st) != 0)
        return {};
    return QByteArray::number(qint64(st.st_size)) + ':' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

bool canCreateFilesIn(const FilePath &folder)
{
    return ::access(folder.bytes().constData(), W_OK | X_OK) == 0;
}

bool makeFolders(const FilePath &folder)
{
    const QByteArray path = folder.bytes();
    if (path.isEmpty())
        return false;
    // Each folder from the top down; one that is there already is passed.
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
    }
    return folderExists(folder);
}

} // namespace tunora
