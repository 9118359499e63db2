#include "platform/files/fileio.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

QByteArray contentsOf(const QString &path)
{
    ReadFile in{FilePath(path)};
    QByteArray bytes(in.size(), 0);
    if (in.readAt(0, bytes.data(), bytes.size()) != bytes.size())
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
