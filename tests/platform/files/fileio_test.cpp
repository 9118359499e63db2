#include "platform/files/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

QByteArray contentsOf(const QString &path)
{
    ReadFile in{FilePath(path)};
    QByteArray bytes(in.size(), 0);
    if (!readExactly(in, 0, bytes.data(), bytes.size()))
        return "<unreadable>";
    return bytes;
}

bool writeWhole(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter out{FilePath(path)};
    return out.write(bytes.constData(), bytes.size()) && out.commit();
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(ReadFile, ReadExactlyTakesEveryByteAskedForOrFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"song.mp3"_s);
    ASSERT_TRUE(writeWhole(path, "0123456789"));
    const ReadFile file{FilePath(path)};
    ASSERT_TRUE(file.isOpen());

    struct Case {
        const char *what;
        qint64 offset, count;
        const char *expected; // nullptr: refused
    };
    for (const Case &c : {Case{"inside", 2, 5, "23456"}, Case{"up to the end", 6, 4, "6789"},
                          Case{"nothing", 10, 0, ""}, Case{"running past the end", 8, 4, nullptr},
                          Case{"past the end", 12, 1, nullptr}, Case{"before the start", -1, 2, nullptr},
                          Case{"a negative count", 0, -1, nullptr}}) {
        SCOPED_TRACE(c.what);
        QByteArray bytes(qMax<qint64>(c.count, 0), '.');
        const bool read = readExactly(file, c.offset, bytes.data(), c.count);
        EXPECT_EQ(read, c.expected != nullptr);
        if (c.expected) {
            EXPECT_EQ(bytes, QByteArray(c.expected));
        }
    }
    char byte = 0;
    EXPECT_FALSE(readExactly(ReadFile(), 0, &byte, 1)) << "a file that is not open";
}

TEST(AtomicFileWriter, ReplacesOnCommitOnlyAndCleansUpOtherwise)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"out.mp3"_s);
    ASSERT_TRUE(writeWhole(path, "older"));
    {
        AtomicFileWriter out{FilePath(path)};
        ASSERT_TRUE(out.write("newer bytes", 11));
        EXPECT_EQ(contentsOf(path), "older"); // not before the commit
    }
    EXPECT_EQ(contentsOf(path), "older");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{u"out.mp3"_s});

    AtomicFileWriter again{FilePath(path)};
    ASSERT_TRUE(again.write("keep this, drop that", 20));
    ASSERT_TRUE(again.truncate(9));
    ASSERT_TRUE(again.write("!", 1));
    EXPECT_FALSE(again.truncate(11)); // a writer only shrinks
    ASSERT_TRUE(again.commit());
    EXPECT_EQ(contentsOf(path), "keep this!");
}

TEST(AtomicFileWriter, FailsWhereNoFileCanBeMade)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AtomicFileWriter out(FilePath(dir.filePath(u"missing/out.mp3"_s)));
    EXPECT_FALSE(out.ok());
    EXPECT_FALSE(out.write("x", 1));
    EXPECT_FALSE(out.commit());
}

TEST(MoveFile, ReplacesTheDestinationAndFailsWithoutOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"to"_s));
    const QString from = dir.filePath(u"a.mp3"_s);
    const QString to = dir.filePath(u"to/a.mp3"_s);
    ASSERT_TRUE(writeWhole(from, "new"));
    ASSERT_TRUE(writeWhole(to, "old"));
    EXPECT_TRUE(moveFile(FilePath(from), FilePath(to)));
    EXPECT_EQ(contentsOf(to), "new");
    EXPECT_FALSE(fileExists(FilePath(from)));

    ASSERT_TRUE(writeWhole(from, "again"));
    EXPECT_FALSE(moveFile(FilePath(from), FilePath(dir.filePath(u"nowhere/a.mp3"_s))));
    EXPECT_EQ(contentsOf(from), "again");
}

// A file kept elsewhere behind a link (a settings file in a collection of dotfiles) is
// written where the link leads, and the link stays; a file replaced keeps its permissions.
TEST(AtomicFileWriter, WritesThroughALinkAndKeepsPermissions)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"kept"_s));
    const QString target = dir.filePath(u"kept/settings.ini"_s);
    const QString link = dir.filePath(u"settings.ini"_s);
    ASSERT_TRUE(writeWhole(target, "older"));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_EQ(::symlink("kept/settings.ini", QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(writeWhole(link, "newer"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(contentsOf(target), "newer");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesOf(dir.filePath(u"kept"_s)), QStringList{u"settings.ini"_s});

    // A link to a file not there yet makes it there.
    const QString dangling = dir.filePath(u"new.ini"_s);
    ASSERT_EQ(::symlink(QFile::encodeName(dir.filePath(u"kept/new.ini"_s)).constData(),
                        QFile::encodeName(dangling).constData()),
              0);
    ASSERT_TRUE(writeWhole(dangling, "made"));
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(contentsOf(dir.filePath(u"kept/new.ini"_s)), "made");
}

TEST(MakeFolders, MakesEveryMissingFolderAndFailsBelowAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FilePath nested = FilePath::fromBytes(QFile::encodeName(dir.path()) + "/a/\xB8\xE8/c");
    EXPECT_TRUE(makeFolders(nested));
    EXPECT_TRUE(folderExists(nested));
    EXPECT_TRUE(makeFolders(nested)) << "a folder that is there already";

    ASSERT_TRUE(writeWhole(dir.filePath(u"file"_s), "x"));
    EXPECT_FALSE(makeFolders(FilePath(dir.filePath(u"file/sub"_s))));
    EXPECT_FALSE(makeFolders(FilePath(dir.filePath(u"file"_s))));
}
