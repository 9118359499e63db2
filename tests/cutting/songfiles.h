#pragma once

#include "cutting/output.h"
#include "platform/files/fileio.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Tiny song files for the cutting tests.
namespace tunora::testing {

// Bytes that never look like a tag or a frame header (no 0xFF, no "ID3", "TAG" or
// "APETAGEX"), different for each seed, so a wrong offset shows in the output.
inline QByteArray patternBytes(qint64 size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed * 7 + 1) % 251);
    return bytes;
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter out{FilePath(path)};
    if (!out.write(bytes.constData(), bytes.size()) || !out.commit())
        qFatal("cannot write a test file");
}

inline QByteArray readBytes(const QString &path)
{
    ReadFile in{FilePath(path)};
    QByteArray bytes(in.size(), Qt::Uninitialized);
    if (!in.isOpen() || !readExactly(in, 0, bytes.data(), bytes.size()))
        return {};
    return bytes;
}

// Everything in a directory, hidden files included, so a stray temporary file shows.
inline QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}


// A song folder, a working directory and a program directory. Songs are 40000 bytes over
// 10 s: 4 bytes per millisecond.
class SongFoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        for (const char *sub : {"songs", "work", "program"})
            ASSERT_TRUE(QDir(m_root.path()).mkdir(QString::fromLatin1(sub)));
        // Without a trailing "/": the engines join the song's name to it as a path.
        m_folder = FilePath(m_root.filePath(QStringLiteral("songs")));
        m_dirs = {FilePath(m_root.filePath(QStringLiteral("work"))), FilePath(m_root.filePath(QStringLiteral("program")))};
    }

    QByteArray addSong(const QString &name, int seed)
    {
        const QByteArray bytes = patternBytes(40'000, seed);
        writeBytes(songPath(name), bytes);
        return bytes;
    }

    QString songPath(const QString &name) const { return (m_folder / name).text(); }

    QByteArray programFile(const QString &name) const
    {
        return readBytes(m_dirs.programDir.text() + QLatin1Char('/') + name);
    }

    QTemporaryDir m_root;
    FilePath m_folder;
    OutputDirs m_dirs;
};

} // namespace tunora::testing
