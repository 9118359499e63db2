// The file room on Windows: paths as UTF-16 through the Win32 calls, with names that no ANSI
// code page holds (a Western Windows has neither 晴天 nor 노래 in its code page).
#include "platform/files/fileio.h"
#include "platform/files/filesearch.h"
#include "platform/files/hostpaths.h"
#include "platform/files/runtimelibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <windows.h>

using namespace Qt::StringLiterals;

namespace tunora {
namespace {

TEST(WindowsPath, ConvertsToTheWin32FormAndBack)
{
    struct Case {
        QString text;
        std::wstring native;
    };
    const QString longName(300, u'长');
    for (const Case &c : {Case{u"C:/歌曲/晴天.mp3"_s, L"C:\\歌曲\\晴天.mp3"},
                          Case{u"//server/share/노래.mp3"_s, L"\\\\server\\share\\노래.mp3"},
                          Case{u"歌曲/晴天.mp3"_s, L"歌曲\\晴天.mp3"},
                          Case{u"C:/"_s + longName, L"\\\\?\\C:\\" + longName.toStdWString()},
                          Case{u"//server/share/"_s + longName, L"\\\\?\\UNC\\server\\share\\" + longName.toStdWString()}}) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        EXPECT_EQ(FilePath(c.text).nativePath(), c.native);
        EXPECT_EQ(FilePath::fromNative(c.native.c_str()), FilePath(c.text));
    }
}

TEST(WindowsPath, TellsDrivesAndSharesFromRelativePaths)
{
    struct Case {
        QString text;
        bool absolute;
        QString folder;
    };
    for (const Case &c : {Case{u"C:/歌曲/晴天.mp3"_s, true, u"C:/歌曲"_s}, Case{u"C:/歌曲"_s, true, u"C:/"_s},
                          Case{u"C:/"_s, true, u"C:/"_s}, Case{u"//server/share/a"_s, true, u"//server/share"_s},
                          Case{u"C:歌曲"_s, false, QString()}, Case{u"/歌曲/a"_s, false, u"/歌曲"_s},
                          Case{u"歌曲/a"_s, false, u"歌曲"_s}}) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(FilePath(c.text).isAbsolute(), c.absolute);
        EXPECT_EQ(FilePath(c.text).folder().text(), c.folder);
    }
}

// A folder 歌曲 with songs whose names need UTF-16, made through Qt (which takes UTF-16 too).
class WindowsFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"歌曲"_s));
        folder = FilePath(m_dir.path()) / u"歌曲"_s;
    }
    void put(const QString &name, const QByteArray &bytes) const
    {
        QFile file((folder / name).text());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray contentOf(const QString &name) const
    {
        QFile file((folder / name).text());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    FilePath folder;
};

TEST_F(WindowsFiles, ListsNamesOutsideTheAnsiCodePageExactly)
{
    put(u"晴天.mp3"_s, "a");
    put(u"노래.MP3"_s, "b");
    put(u"😀 smile.mp3"_s, "c");
    put(u"晴天.wav"_s, "d");
    ASSERT_TRUE(QDir(folder.text()).mkdir(u"假的.mp3"_s)); // a folder never counts as a song
    EXPECT_EQ(findFilesWithExtension(folder, u"mp3"_s), (QStringList{u"晴天.mp3"_s, u"노래.MP3"_s, u"😀 smile.mp3"_s}));
    EXPECT_EQ(findSubfolders(FilePath(m_dir.path())), QStringList{u"歌曲"_s});
    EXPECT_TRUE(findFilesWithExtension(folder / u"没有"_s, u"mp3"_s).isEmpty());
}

TEST_F(WindowsFiles, ReadsAtOffsetsAroundTheEnd)
{
    put(u"晴天.mp3"_s, "0123456789");
    const ReadFile file(folder / u"晴天.mp3"_s);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.size(), 10);
    struct Case {
        qint64 offset;
        qint64 count;
        qint64 read;
        QByteArray bytes;
    };
    for (const Case &c : {Case{0, 4, 4, "0123"}, Case{9, 4, 1, "9"}, Case{10, 4, 0, ""}, Case{11, 4, 0, ""},
                          Case{-1, 4, -1, ""}, Case{3, 0, 0, ""}}) {
        SCOPED_TRACE(c.offset);
        char buffer[8] = {};
        EXPECT_EQ(file.readAt(c.offset, buffer, c.count), c.read);
        EXPECT_EQ(QByteArray(buffer, int(qMax<qint64>(c.read, 0))), c.bytes);
    }
    char four[4];
    EXPECT_FALSE(readExactly(file, 8, four, 4)); // a short read is no structure
    EXPECT_FALSE(ReadFile(folder).isOpen());     // nor is a folder a file
    EXPECT_FALSE(ReadFile(folder / u"没有.mp3"_s).isOpen());
}

TEST_F(WindowsFiles, ReplacesAWholeFileOrLeavesItAsItWas)
{
    put(u"铃声.mp3"_s, "old");
    {
        AtomicFileWriter writer(folder / u"铃声.mp3"_s);
        ASSERT_TRUE(writer.write("new bytes", 9));
        ASSERT_TRUE(writer.truncate(3));
        EXPECT_EQ(contentOf(u"铃声.mp3"_s), "old"); // nothing shows before the commit
        ASSERT_TRUE(writer.commit());
    }
    EXPECT_EQ(contentOf(u"铃声.mp3"_s), "new");
    {
        AtomicFileWriter dropped(folder / u"铃声.mp3"_s);
        ASSERT_TRUE(dropped.write("lost", 4));
    }
    EXPECT_EQ(contentOf(u"铃声.mp3"_s), "new");
    // No temporary file is left behind either way.
    EXPECT_EQ(QDir(folder.text()).entryList(QDir::Files | QDir::Hidden), QStringList{u"铃声.mp3"_s});
}

TEST_F(WindowsFiles, NeverPutsAFileInAFoldersPlace)
{
    ASSERT_TRUE(QDir(folder.text()).mkdir(u"铃声.mp3"_s));
    AtomicFileWriter writer(folder / u"铃声.mp3"_s);
    ASSERT_TRUE(writer.write("new", 3));
    EXPECT_FALSE(writer.commit());
    put(u"新.mp3"_s, "new");
    EXPECT_FALSE(moveFile(folder / u"新.mp3"_s, folder / u"铃声.mp3"_s));
    EXPECT_TRUE(folderExists(folder / u"铃声.mp3"_s));
    EXPECT_EQ(contentOf(u"新.mp3"_s), "new");
    EXPECT_EQ(QDir(folder.text()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u"新.mp3"_s, u"铃声.mp3"_s}));
}

TEST_F(WindowsFiles, LeavesAReadOnlyFileAlone)
{
    put(u"只读.mp3"_s, "kept");
    const std::wstring name = (folder / u"只读.mp3"_s).nativePath();
    ASSERT_TRUE(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY));
    AtomicFileWriter writer(folder / u"只读.mp3"_s);
    EXPECT_FALSE(writer.write("x", 1));
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(contentOf(u"只读.mp3"_s), "kept");
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsFiles, MovesOverAnOlderFileAndMakesFolders)
{
    put(u"新.mp3"_s, "new");
    put(u"旧.mp3"_s, "old");
    ASSERT_TRUE(moveFile(folder / u"新.mp3"_s, folder / u"旧.mp3"_s));
    EXPECT_EQ(contentOf(u"旧.mp3"_s), "new");
    EXPECT_FALSE(fileExists(folder / u"新.mp3"_s));
    EXPECT_FALSE(moveFile(folder / u"没有.mp3"_s, folder / u"旧.mp3"_s));
    EXPECT_EQ(contentOf(u"旧.mp3"_s), "new");

    const FilePath deep = folder / u"铃声/노래/新"_s;
    ASSERT_TRUE(makeFolders(deep));
    EXPECT_TRUE(folderExists(deep));
    EXPECT_FALSE(regularFileExists(deep));
    EXPECT_TRUE(canCreateFilesIn(deep));
    EXPECT_FALSE(canCreateFilesIn(folder / u"没有"_s));
    EXPECT_TRUE(QDir(deep.text()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)); // the probe went
}

TEST(WindowsHost, FindsTheProgramFolderAndAbsolutePaths)
{
    EXPECT_EQ(programFolder().text(), QCoreApplication::applicationDirPath());
    const FilePath current = currentFolder();
    EXPECT_TRUE(current.isAbsolute()) << current.text().toStdString();
    EXPECT_EQ(absolutePath(FilePath(u"歌曲/../晴天.mp3"_s)), (current / u"晴天.mp3"_s).cleaned());
    EXPECT_EQ(absolutePath(FilePath(u"C:/a/./b"_s)), FilePath(u"C:/a/b"_s));
    EXPECT_TRUE(userConfigFolder().isAbsolute());
    // The command line comes from its UTF-16 form: the program's own path first.
    const QStringList arguments = programArguments(0, nullptr);
    ASSERT_FALSE(arguments.isEmpty());
    EXPECT_TRUE(arguments.first().endsWith(u".exe"_s, Qt::CaseInsensitive));
}

TEST(WindowsRuntimeLibrary, LoadsBySystemNameAndNamesAMissingOne)
{
    QString error;
    const RuntimeLibrary kernel = RuntimeLibrary::open(u"kernel32.dll"_s, RuntimeLibrary::Binding::AtLoad, &error);
    ASSERT_TRUE(kernel.isOpen()) << error.toStdString();
    EXPECT_NE(kernel.symbol("GetTickCount"), nullptr);
    EXPECT_EQ(kernel.symbol("no_such_function"), nullptr);

    const RuntimeLibrary missing = RuntimeLibrary::open(u"C:/没有/libmpv-2.dll"_s, RuntimeLibrary::Binding::OnFirstCall, &error);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_TRUE(error.startsWith(u"C:/没有/libmpv-2.dll: "_s)) << error.toStdString();
}

} // namespace
} // namespace tunora
