#include "platform/files/filenames.h"
#include "platform/files/gbkcodec.h"
#include "platform/settings/settingsfile.h"
#include "support/configdir.h"
#include "support/scopedenv.h"
#include "support/songfolder.h"
#include "platform/settings/utf16codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray gbk(const QString &text)
{
    return encodeGbk(text);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray utf16(const QString &text, ByteOrder order)
{
    return (order == ByteOrder::LittleEndian ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff"))
        + encodeUtf16(text, order);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A program directory, and a user configuration directory in place of the real one.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_programDir.isValid());
        ASSERT_TRUE(m_configDir.isValid());
    }

    QString programFile() const { return m_programDir.filePath(u"初始化配置.ini"_s); }
    QString userFile() const { return m_configDir.settingsFile(); }
    SettingsFile settings() const { return SettingsFile(FilePath(m_programDir.path())); }
    // As for an installed program, whose directory the user cannot write.
    SettingsFile installedSettings() const
    {
        return SettingsFile(FilePath(m_programDir.path()), [](const FilePath &) { return false; });
    }

    QTemporaryDir m_programDir;
    test::TemporaryConfigHome m_configDir;
};

} // namespace

TEST_F(SettingsFileTest, ReadingAMissingFileGivesEmptyTextAndCreatesNothing)
{
    EXPECT_EQ(settings().path().text(), programFile());
    EXPECT_TRUE(settings().read(u"播放方式"_s, u"参数"_s).isEmpty());
    EXPECT_TRUE(installedSettings().read(u"播放方式"_s, u"参数"_s).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(programFile()));
    EXPECT_TRUE(QDir(m_configDir.path()).isEmpty());
}

TEST_F(SettingsFileTest, ReadsLikeWindows)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        QString section;
        QString key;
        QString expected;
    };
    const QString mode = u"播放方式"_s;
    const QString param = u"参数"_s;
    // [播放方式] 参数=随机, [歌曲目录] 路径=/音乐/ as a Windows program writes them.
    const QByteArray windowsGbk("[\xb2\xa5\xb7\xc5\xb7\xbd\xca\xbd]\r\n\xb2\xce\xca\xfd=\xcb\xe6\xbb\xfa\r\n"
                                "[\xb8\xe8\xc7\xfa\xc4\xbf\xc2\xbc]\r\n\xc2\xb7\xbe\xb6=/\xd2\xf4\xc0\xd6/\r\n");
    const Case cases[] = {
        {"Windows GBK bytes", windowsGbk, mode, param, u"随机"_s},
        {"second section", windowsGbk, u"歌曲目录"_s, u"路径"_s, u"/音乐/"_s},
        {"missing section", windowsGbk, u"最小化"_s, param, {}},
        {"missing key", windowsGbk, mode, u"格式"_s, {}},
        {"LF endings", gbk(u"[播放方式]\n参数=随机\n"_s), mode, param, u"随机"_s},
        {"no final line break", gbk(u"[播放方式]\r\n参数=随机"_s), mode, param, u"随机"_s},
        {"UTF-8", u"[播放方式]\n参数=随机\n"_s.toUtf8(), mode, param, u"随机"_s},
        {"UTF-8 with BOM", kBom + u"[播放方式]\r\n参数=随机\r\n"_s.toUtf8(), mode, param, u"随机"_s},
        {"first duplicate section wins", "[a]\nk=1\n[a]\nk=2\n", u"a"_s, u"k"_s, u"1"_s},
        {"key only in a later duplicate section", "[a]\nx=1\n[a]\nk=2\n", u"a"_s, u"k"_s, {}},
        {"first duplicate key wins", "[a]\nk=1\nk=2\n", u"a"_s, u"k"_s, u"1"_s},
        {"spaces around names and value", " \t[ a ] \n  k \t=  v w \t\r\n", u"a"_s, u"k"_s, u"v w"_s},
        {"ASCII names ignore case", "[Section]\nKey=v\n", u"SECTION"_s, u"key"_s, u"v"_s},
        {"other names compare exactly", u"[Ä]\nk=v\n"_s.toUtf8(), u"ä"_s, u"k"_s, {}},
        {"value holding '='", "[a]\nk=x=y\n", u"a"_s, u"k"_s, u"x=y"_s},
        {"empty value", "[a]\nk=\n", u"a"_s, u"k"_s, {}},
        {"line without '=' ignored", "[a]\nk\nk=v\n", u"a"_s, u"k"_s, u"v"_s},
        {"comment ignored", "[a]\n;k=x\nk=v\n", u"a"_s, u"k"_s, u"v"_s},
        {"key before any section", "k=v\n[a]\n", u"a"_s, u"k"_s, {}},
        {"missing bracket is no section", "[a\nk=v\n", u"a"_s, u"k"_s, {}},
        {"key of the previous section", "[a]\nk=v\n[b]\n", u"b"_s, u"k"_s, {}},
        {"UTF-16 LE, as Notepad saves \"Unicode\"", QByteArray("\xff\xfe[\0a\0]\0\n\0k\0=\0v\0", 16), u"a"_s,
         u"k"_s, u"v"_s},
        {"UTF-16 LE, Chinese", utf16(u"[播放方式]\r\n参数=随机\r\n"_s, ByteOrder::LittleEndian), mode, param,
         u"随机"_s},
        {"UTF-16 BE, Chinese", utf16(u"[播放方式]\r\n参数=随机\r\n"_s, ByteOrder::BigEndian), mode, param,
         u"随机"_s},
        {"UTF-16 cut off mid-character", QByteArray("\xff\xfe[\0a\0]\0\n\0k\0=\0v", 15), u"a"_s, u"k"_s, {}},
        {"double quotes dropped", gbk(u"[播放方式]\r\n参数=\"随机\"\r\n"_s), mode, param, u"随机"_s},
        {"single quotes dropped", gbk(u"[播放方式]\r\n参数='随机'\r\n"_s), mode, param, u"随机"_s},
        {"blanks outside quotes dropped", "[a]\nk =  \"v\" \t\n", u"a"_s, u"k"_s, u"v"_s},
        {"blanks inside quotes kept", "[a]\nk=\" v w \"\n", u"a"_s, u"k"_s, u" v w "_s},
        {"only one pair dropped", "[a]\nk=\"\"v\"\"\n", u"a"_s, u"k"_s, u"\"v\""_s},
        {"quotes inside kept", "[a]\nk=\"v\"w\"\n", u"a"_s, u"k"_s, u"v\"w"_s},
        {"empty quotes", "[a]\nk=\"\"\n", u"a"_s, u"k"_s, {}},
        {"lone quote kept", "[a]\nk=\"\n", u"a"_s, u"k"_s, u"\""_s},
        {"unclosed quote kept", "[a]\nk=\"v\n", u"a"_s, u"k"_s, u"\"v"_s},
        {"mismatched quotes kept", "[a]\nk=\"v'\n", u"a"_s, u"k"_s, u"\"v'"_s},
        {"quote only at the end kept", "[a]\nk=v\"\n", u"a"_s, u"k"_s, u"v\""_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(programFile(), c.bytes);
        EXPECT_EQ(settings().read(c.section, c.key), c.expected);
    }
}

TEST_F(SettingsFileTest, NewFileHoldsExactlyTheSectionAndKeyInGbk)
{
    ASSERT_TRUE(settings().write(u"播放方式"_s, u"参数"_s, u"循环"_s));
    EXPECT_EQ(bytesOf(programFile()), QByteArray("[\xb2\xa5\xb7\xc5\xb7\xbd\xca\xbd]\r\n\xb2\xce\xca\xfd=\xd1\xad\xbb\xb7\r\n"));
    ASSERT_TRUE(settings().write(u"a"_s, u"k"_s, u"v"_s));
    EXPECT_EQ(bytesOf(programFile()), gbk(u"[播放方式]\r\n参数=循环\r\n[a]\r\nk=v\r\n"_s));
}

TEST_F(SettingsFileTest, WritingChangesOnlyTheLineItNeeds)
{
    struct Case {
        const char *what;
        QByteArray before;
        QString section;
        QString key;
        QString value;
        QByteArray after;
    };
    const QByteArray file = "; kept\n\n[a]\nx=1\nk = old\nk=second\n\n[other]\nk=3\r\n";
    const Case cases[] = {
        {"replace keeps key spelling, spacing and all other lines", file, u"a"_s, u"K"_s, u"new"_s,
         "; kept\n\n[a]\nx=1\nk = new\nk=second\n\n[other]\nk=3\r\n"},
        {"new key goes after the section's last key", file, u"A"_s, u"y"_s, u"2"_s,
         "; kept\n\n[a]\nx=1\nk = old\nk=second\ny=2\n\n[other]\nk=3\r\n"},
        {"new section is appended", file, u"b"_s, u"k"_s, u"v"_s,
         "; kept\n\n[a]\nx=1\nk = old\nk=second\n\n[other]\nk=3\r\n[b]\nk=v\n"},
        {"CRLF file stays CRLF", "[a]\r\nk=1\r\n", u"a"_s, u"j"_s, u"2"_s, "[a]\r\nk=1\r\nj=2\r\n"},
        {"line break added to an unterminated last line", "[a]\nk=1", u"b"_s, u"k"_s, u"2"_s,
         "[a]\nk=1\n[b]\nk=2\n"},
        {"section header as the last line", "[a]", u"a"_s, u"k"_s, u"1"_s, "[a]\r\nk=1\r\n"},
        {"first of duplicate sections", "[a]\nk=1\n[a]\nk=2\n", u"a"_s, u"j"_s, u"3"_s,
         "[a]\nk=1\nj=3\n[a]\nk=2\n"},
        {"empty value", "[a]\nk=1\n", u"a"_s, u"k"_s, {}, "[a]\nk=\n"},
        {"garbage bytes elsewhere are kept", "\xff\x81\n[a]\nk=1\n", u"a"_s, u"k"_s, u"2"_s,
         "\xff\x81\n[a]\nk=2\n"},
        {"Chinese value in a GBK file", gbk(u"[歌曲目录]\n路径=/旧/\n"_s), u"歌曲目录"_s, u"路径"_s,
         u"/音乐/"_s, gbk(u"[歌曲目录]\n路径=/音乐/\n"_s)},
        {"UTF-8 file stays UTF-8", u"[歌曲目录]\n路径=/旧/\n"_s.toUtf8(), u"歌曲目录"_s, u"路径"_s,
         u"/音乐/"_s, u"[歌曲目录]\n路径=/音乐/\n"_s.toUtf8()},
        {"UTF-8 file keeps its BOM", kBom + u"[a]\nk=旧\n"_s.toUtf8(), u"a"_s, u"k"_s, u"新"_s,
         kBom + u"[a]\nk=新\n"_s.toUtf8()},
        {"double-quoted value stays quoted", "[a]\nk = \"old\"\n", u"a"_s, u"k"_s, u"new"_s, "[a]\nk = \"new\"\n"},
        {"single-quoted value stays quoted", "[a]\nk='old' \r\n", u"a"_s, u"k"_s, u"new"_s, "[a]\nk='new'\r\n"},
        {"quoted lines of other keys are kept", gbk(u"[播放方式]\n参数=\"随机\"\n[a]\nk=1\n"_s), u"a"_s, u"k"_s,
         u"2"_s, gbk(u"[播放方式]\n参数=\"随机\"\n[a]\nk=2\n"_s)},
        {"value in quotes of its own is quoted", "[a]\nk=old\n", u"a"_s, u"k"_s, u"\"q\""_s,
         "[a]\nk=\"\"q\"\"\n"},
        {"new key with a value in quotes", "[a]\n", u"a"_s, u"j"_s, u"'x'"_s, "[a]\nj=\"'x'\"\n"},
        {"blanks around a quoted value", "[a]\nk=1\n", u"a"_s, u"k"_s, u" \"v\" "_s, "[a]\nk=\" \"v\" \"\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(programFile(), c.before);
        EXPECT_TRUE(settings().write(c.section, c.key, c.value));
        EXPECT_EQ(bytesOf(programFile()), c.after);
        EXPECT_EQ(settings().read(c.section, c.key), c.value);
    }
}

// Notepad's "Unicode" and "Unicode big endian" files stay in their encoding, unit for unit.
TEST_F(SettingsFileTest, Utf16FilesAreWrittenInTheirOwnEncoding)
{
    const QByteArray folderBytes("/music/\xb8\xe8 \xff/");
    const QString folder = decodeFileName(folderBytes);
    const QString emoji = QString::fromUtf8("\xf0\x9f\x8e\xb5");
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
        SCOPED_TRACE(order == ByteOrder::LittleEndian ? "little endian" : "big endian");
        const QString start = u"; 设置\r\n[播放方式]\r\n参数=\"随机\"\r\n[歌曲目录]\r\n路径=/旧/\r\n[音乐格式]\r\n格式=mp3"_s;
        writeBytes(programFile(), utf16(start, order));
        EXPECT_EQ(settings().read(u"播放方式"_s, u"参数"_s), u"随机"_s);
        EXPECT_EQ(settings().read(u"音乐格式"_s, u"格式"_s), u"mp3"_s);

        ASSERT_TRUE(settings().write(u"歌曲目录"_s, u"路径"_s, folder));
        ASSERT_TRUE(settings().write(u"最小化"_s, u"参数"_s, emoji));
        ASSERT_TRUE(settings().write(u"播放方式"_s, u"参数"_s, u"循环"_s));
        const QString expected = u"; 设置\r\n[播放方式]\r\n参数=\"循环\"\r\n[歌曲目录]\r\n路径="_s + folder
            + u"\r\n[音乐格式]\r\n格式=mp3\r\n[最小化]\r\n参数="_s + emoji + u"\r\n"_s;
        EXPECT_EQ(bytesOf(programFile()), utf16(expected, order));
        EXPECT_EQ(encodeFileName(settings().read(u"歌曲目录"_s, u"路径"_s)), folderBytes);
        EXPECT_EQ(settings().read(u"最小化"_s, u"参数"_s), emoji);
        EXPECT_EQ(settings().read(u"播放方式"_s, u"参数"_s), u"循环"_s);
    }

    // New lines follow the file's own line ending; a byte-order mark alone is an empty file.
    writeBytes(programFile(), utf16(u"[a]\nk=1\n"_s, ByteOrder::LittleEndian));
    ASSERT_TRUE(settings().write(u"a"_s, u"j"_s, u"2"_s));
    EXPECT_EQ(bytesOf(programFile()), utf16(u"[a]\nk=1\nj=2\n"_s, ByteOrder::LittleEndian));
    writeBytes(programFile(), utf16(QString(), ByteOrder::BigEndian));
    ASSERT_TRUE(settings().write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_EQ(bytesOf(programFile()), utf16(u"[a]\r\nk=1\r\n"_s, ByteOrder::BigEndian));
}

TEST_F(SettingsFileTest, ValueOutsideGbkSwitchesTheFileToUtf8)
{
    const QString emojiFolder = u"/音乐/"_s + QString::fromUtf8("\xf0\x9f\x8e\xb5") + u"/"_s;
    writeBytes(programFile(), gbk(u"[播放方式]\r\n参数=随机\r\n[歌曲目录]\r\n路径=/旧/\r\n"_s));
    ASSERT_TRUE(settings().write(u"歌曲目录"_s, u"路径"_s, emojiFolder));
    EXPECT_EQ(bytesOf(programFile()), (u"[播放方式]\r\n参数=随机\r\n[歌曲目录]\r\n路径="_s + emojiFolder + u"\r\n"_s).toUtf8());
    EXPECT_EQ(settings().read(u"歌曲目录"_s, u"路径"_s), emojiFolder);
    EXPECT_EQ(settings().read(u"播放方式"_s, u"参数"_s), u"随机"_s);

    // From then on the file stays UTF-8, also for values GBK could hold.
    ASSERT_TRUE(settings().write(u"最小化"_s, u"参数"_s, u"是"_s));
    EXPECT_EQ(settings().read(u"最小化"_s, u"参数"_s), u"是"_s);
    EXPECT_TRUE(bytesOf(programFile()).endsWith(u"[最小化]\r\n参数=是\r\n"_s.toUtf8()));
}

TEST_F(SettingsFileTest, FolderNameBytesSurviveTheRoundTrip)
{
    // A folder named in GBK on a UTF-8 system: its name is bytes, not text.
    const QByteArray folderBytes("/music/\xb8\xe8\xc7\xfa \xff/");
    const QString folder = decodeFileName(folderBytes);
    const QByteArray starts[] = {
        gbk(u"[播放方式]\r\n参数=随机\r\n"_s),
        u"[播放方式]\r\n参数=随机\r\n"_s.toUtf8(),
    };
    for (const QByteArray &start : starts) {
        SCOPED_TRACE(start.toHex().toStdString());
        writeBytes(programFile(), start);
        ASSERT_TRUE(settings().write(u"歌曲目录"_s, u"路径"_s, folder));
        const QString readBack = settings().read(u"歌曲目录"_s, u"路径"_s);
        EXPECT_EQ(encodeFileName(readBack), folderBytes);
        EXPECT_EQ(settings().read(u"播放方式"_s, u"参数"_s), u"随机"_s);
        // The name's own bytes are in the file, which is marked as UTF-8.
        const QByteArray bytes = bytesOf(programFile());
        EXPECT_TRUE(bytes.startsWith(kBom));
        EXPECT_TRUE(bytes.contains(folderBytes));
    }
}

TEST_F(SettingsFileTest, RefusedWritesChangeNothing)
{
    const QByteArray before = "[a]\nk=1\n";
    struct Case { const char *what; QString section; QString key; QString value; };
    const Case cases[] = {
        {"line break in value", u"a"_s, u"k"_s, u"1\n[b]\nk=2"_s},
        {"carriage return in value", u"a"_s, u"k"_s, u"1\r2"_s},
        {"line break in section", u"a\nb"_s, u"k"_s, u"1"_s},
        {"'=' in key", u"a"_s, u"k=x"_s, u"1"_s},
        {"key looking like a section", u"a"_s, u"[b]"_s, u"1"_s},
        {"key looking like a comment", u"a"_s, u";k"_s, u"1"_s},
        {"empty key", u"a"_s, u" "_s, u"1"_s},
        {"empty section", QString(), u"k"_s, u"1"_s},
        // Text that bytes cannot give back: it would read as other text, or never be found.
        {"key cut after half a surrogate pair", u"a"_s, u"k\xD88F"_s, u"1"_s},
        {"lone low surrogate in value", u"a"_s, u"k"_s, u"1\xDC00"_s},
        {"escaped bytes that form a character", u"a"_s, u"k"_s, u"\xDCE6\xDCAD\xDC8C"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(programFile(), before);
        EXPECT_FALSE(settings().write(c.section, c.key, c.value));
        EXPECT_EQ(bytesOf(programFile()), before);
    }

    // A UTF-16 file cut off mid-character cannot be read, so rewriting it would lose settings.
    const QByteArray cutOff("\xff\xfe[\0a\0]\0\n", 9);
    writeBytes(programFile(), cutOff);
    EXPECT_FALSE(settings().write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_EQ(bytesOf(programFile()), cutOff);
}

TEST_F(SettingsFileTest, FolderOrPipeInPlaceOfTheFile)
{
    ASSERT_TRUE(QDir().mkpath(programFile()));
    EXPECT_TRUE(settings().read(u"a"_s, u"k"_s).isEmpty());
    EXPECT_FALSE(settings().write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_TRUE(QFileInfo(programFile()).isDir());
    ASSERT_TRUE(QDir().rmdir(programFile()));

    // Opening a pipe would wait for a writer forever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(programFile()).constData(), 0600), 0);
    EXPECT_TRUE(settings().read(u"a"_s, u"k"_s).isEmpty());
    EXPECT_FALSE(settings().write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_FALSE(QFileInfo(programFile()).isFile());
    EXPECT_EQ(QDir(m_programDir.path()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size(), 1);
}

TEST_F(SettingsFileTest, WriteFailsWithoutPermissionAndLeavesTheFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const QByteArray before = "[a]\nk=1\n";
    writeBytes(programFile(), before);
    ASSERT_TRUE(QFile::setPermissions(programFile(), QFileDevice::ReadOwner));
    EXPECT_FALSE(settings().write(u"a"_s, u"k"_s, u"2"_s));
    EXPECT_EQ(bytesOf(programFile()), before);
    EXPECT_EQ(settings().read(u"a"_s, u"k"_s), u"1"_s);

    // Neither the program directory nor the user's configuration directory can be written.
    ASSERT_TRUE(QFile::setPermissions(m_configDir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(m_programDir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(settings().path().text(), userFile());
    EXPECT_EQ(settings().read(u"a"_s, u"k"_s), u"1"_s);
    EXPECT_FALSE(settings().write(u"a"_s, u"k"_s, u"2"_s));
    EXPECT_EQ(bytesOf(programFile()), before);
    QFile::setPermissions(m_programDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(m_configDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(programFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// A program folder unpacked from a Windows archive keeps its GBK name: the settings file is
// found and written there by the folder's own bytes, and so is the per-user file of an
// installed program whose configuration folder is named so.
TEST_F(SettingsFileTest, FoldersNamedInGbkHoldTheFileUnderTheirOwnBytes)
{
    const QByteArray gbk("\xB8\xE8\xC7\xFA"); // 歌曲
    test::SongFolder root;
    root.addFolder(decodeFileName(gbk));
    const QByteArray program = encodeFileName(root.path()) + gbk;
    const QByteArray fileName = u"/初始化配置.ini"_s.toUtf8();
    auto rawBytes = [](const QByteArray &path) {
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd < 0)
            return QByteArray("<missing>");
        QByteArray bytes(4096, 0);
        const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
        ::close(fd);
        return bytes.left(qMax<ssize_t>(n, 0));
    };

    const SettingsFile portable(FilePath::fromBytes(program));
    EXPECT_EQ(portable.path().bytes(), program + fileName);
    ASSERT_TRUE(portable.write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_EQ(rawBytes(program + fileName), "[a]\r\nk=1\r\n");
    EXPECT_EQ(portable.read(u"a"_s, u"k"_s), u"1"_s);

    const QByteArray config = program + "/config";
    test::ScopedEnvironmentVariable configHome("XDG_CONFIG_HOME", config);
    const SettingsFile installed(FilePath::fromBytes(program), [](const FilePath &) { return false; });
    EXPECT_EQ(installed.path().bytes(), config + "/tunora" + fileName);
    ASSERT_TRUE(installed.write(u"a"_s, u"k"_s, u"2"_s));
    EXPECT_EQ(rawBytes(config + "/tunora" + fileName), "[a]\r\nk=2\r\n");
    EXPECT_EQ(installed.read(u"a"_s, u"k"_s), u"2"_s);
    EXPECT_EQ(rawBytes(program + fileName), "[a]\r\nk=1\r\n");
}

TEST_F(SettingsFileTest, InstalledProgramKeepsSettingsPerUser)
{
    EXPECT_EQ(installedSettings().path().text(), userFile());
    ASSERT_TRUE(installedSettings().write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_EQ(bytesOf(userFile()), QByteArray("[a]\r\nk=1\r\n"));
    EXPECT_FALSE(QFileInfo::exists(programFile()));
    EXPECT_EQ(installedSettings().read(u"a"_s, u"k"_s), u"1"_s);
}

TEST_F(SettingsFileTest, InstalledProgramCarriesTheShippedFileOverOnFirstWrite)
{
    const QByteArray shipped = gbk(u"; shipped\r\n[音乐格式]\r\n格式=mp3,wma\r\n"_s);
    writeBytes(programFile(), shipped);
    const SettingsFile settings = installedSettings();
    EXPECT_EQ(settings.read(u"音乐格式"_s, u"格式"_s), u"mp3,wma"_s);
    EXPECT_FALSE(QFileInfo::exists(userFile()));

    ASSERT_TRUE(settings.write(u"播放方式"_s, u"参数"_s, u"循环"_s));
    EXPECT_EQ(bytesOf(userFile()), shipped + gbk(u"[播放方式]\r\n参数=循环\r\n"_s));
    EXPECT_EQ(bytesOf(programFile()), shipped);

    // Once the user's file exists it alone counts.
    writeBytes(programFile(), gbk(u"[音乐格式]\r\n格式=flac\r\n"_s));
    EXPECT_EQ(settings.read(u"音乐格式"_s, u"格式"_s), u"mp3,wma"_s);
}

TEST_F(SettingsFileTest, PlaceIsDecidedForEveryAccess)
{
    bool writable = true;
    const SettingsFile settings(FilePath(m_programDir.path()), [&writable](const FilePath &) { return writable; });
    ASSERT_TRUE(settings.write(u"a"_s, u"k"_s, u"program"_s));
    writable = false;
    EXPECT_EQ(settings.path().text(), userFile());
    ASSERT_TRUE(settings.write(u"a"_s, u"k"_s, u"user"_s));
    EXPECT_EQ(settings.read(u"a"_s, u"k"_s), u"user"_s);
    writable = true;
    EXPECT_EQ(settings.read(u"a"_s, u"k"_s), u"program"_s);

    // A program directory that does not exist cannot take the file.
    const SettingsFile missing(FilePath(m_programDir.filePath(u"gone"_s)));
    EXPECT_EQ(missing.path().text(), userFile());
}

TEST_F(SettingsFileTest, UnwritableUserDirectoryFailsTheWrite)
{
    // The configuration directory sits below a plain file, so it cannot be made.
    writeBytes(m_configDir.filePath(u"plain"_s), "x");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configDir.filePath(u"plain/config"_s)));
    EXPECT_FALSE(installedSettings().write(u"a"_s, u"k"_s, u"1"_s));
    EXPECT_TRUE(installedSettings().read(u"a"_s, u"k"_s).isEmpty());
}

TEST_F(SettingsFileTest, GarbageAndHugeInput)
{
    std::mt19937 random(7);
    QByteArray garbage(256 * 1024, Qt::Uninitialized);
    for (char &c : garbage)
        c = char(random() & 0xff);
    garbage.replace("[", "(").append('x'); // no section by chance, no final line break
    writeBytes(programFile(), garbage);
    EXPECT_TRUE(settings().read(u"播放方式"_s, u"参数"_s).isEmpty());
    ASSERT_TRUE(settings().write(u"播放方式"_s, u"参数"_s, u"循环"_s));
    EXPECT_EQ(settings().read(u"播放方式"_s, u"参数"_s), u"循环"_s);
    const QByteArray after = bytesOf(programFile());
    EXPECT_TRUE(after.startsWith(garbage));

    const QString huge(10 * 1024 * 1024, u'歌');
    ASSERT_TRUE(settings().write(u"歌曲目录"_s, u"路径"_s, huge));
    EXPECT_EQ(settings().read(u"歌曲目录"_s, u"路径"_s), huge);
    EXPECT_EQ(settings().read(u"播放方式"_s, u"参数"_s), u"循环"_s);
    EXPECT_TRUE(bytesOf(programFile()).startsWith(after));
}

// A write that would leave the bytes as they are does not replace the file; one that changes
// them does, and an installed program's first write still makes the user's own file.
TEST_F(SettingsFileTest, WritingWhatTheFileAlreadySaysLeavesItInPlace)
{
    auto inode = [](const QString &path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const QByteArray file = gbk(u"; kept\r\n[歌曲目录]\r\n路径=\"/music/\"\r\n"_s);
    writeBytes(programFile(), file);
    const ino_t before = inode(programFile());

    ASSERT_TRUE(settings().write(u"歌曲目录"_s, u"路径"_s, u"/music/"_s));
    EXPECT_EQ(inode(programFile()), before);
    EXPECT_EQ(bytesOf(programFile()), file);

    ASSERT_TRUE(settings().write(u"歌曲目录"_s, u"路径"_s, u"/songs/"_s));
    EXPECT_NE(inode(programFile()), before);
    EXPECT_EQ(bytesOf(programFile()), gbk(u"; kept\r\n[歌曲目录]\r\n路径=\"/songs/\"\r\n"_s));

    EXPECT_FALSE(QFileInfo::exists(userFile()));
    ASSERT_TRUE(installedSettings().write(u"歌曲目录"_s, u"路径"_s, u"/songs/"_s));
    EXPECT_EQ(bytesOf(userFile()), bytesOf(programFile()));
}
