#pragma once

#include "fuzzcheck.h"

#include "platform/files/filepath.h"

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace tunora::fuzz {

// One memory file for the whole run, opened by path as a song file is.
class MemoryFile {
public:
    MemoryFile() : m_fd(::memfd_create("song", MFD_CLOEXEC)) { check(m_fd >= 0, "memfd_create"); }
    ~MemoryFile() { ::close(m_fd); }

    FilePath fill(const std::uint8_t *data, std::size_t size)
    {
        check(::ftruncate(m_fd, 0) == 0, "ftruncate");
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(m_fd, data + done, size - done, off_t(done));
            check(n > 0, "pwrite");
            done += std::size_t(n);
        }
        return FilePath(QStringLiteral("/proc/self/fd/") + QString::number(m_fd));
    }

private:
    int m_fd;
};

} // namespace tunora::fuzz
