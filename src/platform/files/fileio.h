#pragma once

#include "filepath.h"

#include <QByteArray>
#include <QtGlobal>

// Files by their byte-exact paths: a name that is not valid UTF-8 keeps its bytes, which
// QFile's own encoding would not guarantee. Reads are positioned, so a caller takes the bytes
// it needs and never a whole file.
namespace tunora {

// An open file as the system knows it: a descriptor here, a HANDLE on Windows.
#ifdef Q_OS_WIN
using FileHandle = void *;
inline constexpr FileHandle kNoFile = nullptr;
#else
using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;
#endif

// A file opened for reading; closed when it goes out of scope.
class ReadFile {
public:
    ReadFile() = default;
    explicit ReadFile(const FilePath &path);
    ~ReadFile();
    ReadFile(ReadFile &&other) noexcept;
    ReadFile &operator=(ReadFile &&other) noexcept;
    ReadFile(const ReadFile &) = delete;
    ReadFile &operator=(const ReadFile &) = delete;

    bool isOpen() const { return m_fd != kNoFile; }
    // Size in bytes, 0 when the file is not open (or is not a regular file).
    qint64 size() const { return m_size; }
    // Up to count bytes from offset into buffer; the number read (short at the end of
    // the file), or -1 on an error.
    qint64 readAt(qint64 offset, char *buffer, qint64 count) const;

private:
    FileHandle m_fd = kNoFile;
    qint64 m_size = 0;
};

// Exactly count bytes from offset into buffer: false when the file cannot be read there or
// ends before them, so a short read never passes for the structure it should hold.
bool readExactly(const ReadFile &file, qint64 offset, void *buffer, qint64 count);

// The program's one way to write a file, so that it appears whole or not at all: the bytes
// go to a temporary file in the target's folder, which commit() renames over the target
// (flushed to disk first when it replaces a file, so a crash cannot leave an empty file
// there). Until then an older file of that name stays as it was; an uncommitted temporary
// file is removed when the writer is destroyed. A target that is a link is written where the
// link leads; a file replaced keeps its permissions, and a read-only one is not replaced.
// On Windows a link is replaced itself, and the bytes go to disk before every rename.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const FilePath &path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // False once anything has failed; later calls then do nothing.
    bool ok() const { return m_fd != kNoFile; }
    bool write(const char *data, qint64 count);
    // Bytes written so far.
    qint64 size() const { return m_size; }
    // Drops everything written after the first `size` bytes.
    bool truncate(qint64 size);
    // Everything written so far, read back (to be changed and written again after truncate(0)).
    bool readBack(QByteArray &bytes) const;
    bool commit();

private:
    void discard();

    QByteArray m_target;
    QByteArray m_temp;
    FileHandle m_fd = kNoFile;
    qint64 m_size = 0;
};

// Moves a file, replacing a file of the destination's name (the moved file is flushed to
// disk first, as on commit); across file systems it copies and then removes the source.
// False when the file is not moved: it is then still whole where it was.
bool moveFile(const FilePath &from, const FilePath &to);

// True for anything of that name, followed through links.
bool fileExists(const FilePath &path);
// True for a regular file, or a link to one.
bool regularFileExists(const FilePath &path);
// True for a folder, or a link to one.
bool folderExists(const FilePath &path);
// The file's size and modification time as one text, which changes when the file does
// (the time to the finest step the system keeps); empty when the file cannot be looked at.
QByteArray fileStamp(const FilePath &path);
// True when files can be created in the folder.
bool canCreateFilesIn(const FilePath &folder);
// Makes the folder and every missing folder above it; true when it exists afterwards.
bool makeFolders(const FilePath &folder);

} // namespace tunora
