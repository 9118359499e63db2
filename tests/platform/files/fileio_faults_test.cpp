// The file layer under hostile file-system states: what stands where a song should be,
// and names at the length limit of the file system.
#include "platform/files/filenames.h"
#include "platform/files/fileio.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray contentsOf(const QString &path)
{
    ReadFile in{FilePath(path)};
    QByteArray bytes(in.size(), 0);
    if (!in.isOpen() || !readExactly(in, 0, bytes.data(), bytes.size()))
        return "<unreadable>";
    return bytes;
}

} // namespace

TEST(ReadFileFaults, APipeInPlaceOfASongIsNotReadAndDoesNotBlock)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"song.mp3"_s);
    const QByteArray name = encodeFileName(path);
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);

    auto opening = std::async(std::launch::async, [&] {
        const ReadFile file{FilePath(path)};
        return file.isOpen();
    });
    if (opening.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the blocked open return so that the test ends and reports.
        const int writer = ::open(name.constData(), O_WRONLY);
        if (writer >= 0)
            ::close(writer);
        FAIL() << "opening a pipe waits for a writer";
    }
    EXPECT_FALSE(opening.get());
}

TEST(ReadFileFaults, AFolderOrAMissingFileReadsAsNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.mp3"_s));
    for (const QString &name : {u"folder.mp3"_s, u"missing.mp3"_s}) {
        SCOPED_TRACE(name.toStdString());
        const ReadFile file(FilePath(dir.filePath(name)));
        EXPECT_FALSE(file.isOpen());
        EXPECT_EQ(file.size(), 0);
        char byte = 0;
        EXPECT_EQ(file.readAt(0, &byte, 1), -1);
    }
}

// Any name the file system takes can be written whole: the temporary file beside it must
// not need a longer name than the output itself.
TEST(AtomicFileWriterFaults, NamesUpToTheFileSystemLimitAreWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const long nameMax = ::pathconf(QFile::encodeName(dir.path()).constData(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 16);
    for (const qsizetype length : {qsizetype(nameMax) - 12, qsizetype(nameMax) - 1, qsizetype(nameMax)}) {
        SCOPED_TRACE(length);
        const QString path = dir.filePath(QString(length, u'n'));
        AtomicFileWriter out{FilePath(path)};
        ASSERT_TRUE(out.write("bytes", 5));
        ASSERT_TRUE(out.commit());
        EXPECT_EQ(contentsOf(path), "bytes");
        EXPECT_EQ(entriesOf(dir.path()), QStringList{QString(length, u'n')});
        ASSERT_TRUE(QFile::remove(path));
    }

    // One byte more is refused, and nothing is left behind.
    AtomicFileWriter tooLong(FilePath(dir.filePath(QString(nameMax + 1, u'n'))));
    EXPECT_FALSE(tooLong.write("bytes", 5) && tooLong.commit());
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty());
}
