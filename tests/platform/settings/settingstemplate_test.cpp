#include "platform/files/gbkcodec.h"
#include "platform/settings/settingsfile.h"
#include "support/configdir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// An installed program: <prefix>/bin, which the user cannot write, the settings template
// under <prefix>/share/tunora, and a user configuration directory of the test's own.
class SettingsTemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_prefix.isValid());
        ASSERT_TRUE(m_configDir.isValid());
        ASSERT_TRUE(QDir(m_prefix.path()).mkpath(u"bin"_s));
    }

    QString binDir() const { return m_prefix.path() + u"/bin"_s; }
    QString templateFile() const { return m_prefix.path() + u"/share/tunora/初始化配置.ini"_s; }
    QString userFile() const { return m_configDir.settingsFile(); }
    QString programFile() const { return binDir() + u"/初始化配置.ini"_s; }
    SettingsFile installed() const
    {
        return SettingsFile(FilePath(binDir()), [](const FilePath &) { return false; });
    }

    QTemporaryDir m_prefix;
    test::TemporaryConfigHome m_configDir;
};

} // namespace

// The file the build and the installation ship is the one a new user starts from.
TEST_F(SettingsTemplateTest, ShippedDefaultsGiveANewUserTheMusicFormats)
{
    const QByteArray shipped = bytesOf(QStringLiteral(TUNORA_DEFAULT_SETTINGS));
    // Like the Windows program's own files: GBK text, CRLF line ends.
    // Every format the program plays and cuts is listed.
    EXPECT_EQ(shipped, encodeGbk(u"[音乐格式]\r\n格式=mp3,wma,wav,flac,ogg,m4a\r\n"_s));
    writeBytes(templateFile(), shipped);

    EXPECT_EQ(installed().read(u"音乐格式"_s, u"格式"_s), u"mp3,wma,wav,flac,ogg,m4a"_s);
    EXPECT_FALSE(QFile::exists(userFile())) << "reading created the user's file";
}

TEST_F(SettingsTemplateTest, FirstWriteCreatesTheUserFileFromTheTemplateAndLeavesTheTemplateAlone)
{
    const QByteArray templateBytes = encodeGbk(u"[音乐格式]\r\n格式=mp3,wma\r\n"_s);
    writeBytes(templateFile(), templateBytes);

    ASSERT_TRUE(installed().write(u"播放方式"_s, u"参数"_s, u"循环"_s));
    EXPECT_EQ(installed().path().text(), userFile());
    EXPECT_EQ(installed().read(u"音乐格式"_s, u"格式"_s), u"mp3,wma"_s);
    EXPECT_EQ(installed().read(u"播放方式"_s, u"参数"_s), u"循环"_s);
    EXPECT_EQ(bytesOf(templateFile()), templateBytes);

    // Once the user's file exists the template is not read again: a format the user
    // removed stays removed.
    ASSERT_TRUE(installed().write(u"音乐格式"_s, u"格式"_s, QString()));
    writeBytes(templateFile(), encodeGbk(u"[音乐格式]\r\n格式=flac\r\n"_s));
    EXPECT_EQ(installed().read(u"音乐格式"_s, u"格式"_s), QString());
}

TEST_F(SettingsTemplateTest, AnExistingSettingsFileWinsOverTheTemplate)
{
    writeBytes(templateFile(), encodeGbk(u"[音乐格式]\r\n格式=mp3,wma\r\n"_s));
    struct Case {
        const char *what;
        QString existing;
    };
    for (const Case &c : {Case{"the user's file", userFile()}, Case{"the program directory's file", programFile()}}) {
        SCOPED_TRACE(c.what);
        const QByteArray own = encodeGbk(u"[音乐格式]\r\n格式=ogg\r\n"_s);
        writeBytes(c.existing, own);
        EXPECT_EQ(installed().read(u"音乐格式"_s, u"格式"_s), u"ogg"_s);
        ASSERT_TRUE(installed().write(u"最小化"_s, u"参数"_s, u"否"_s));
        EXPECT_EQ(installed().read(u"音乐格式"_s, u"格式"_s), u"ogg"_s);
        ASSERT_TRUE(QFile::remove(userFile()));
        QFile::remove(programFile());
    }
}

// A writable program directory (a copy the user unpacked under a prefix of their own)
// starts from the template too; the build's own folder has no template beside it.
TEST_F(SettingsTemplateTest, WritableProgramDirectoryStartsFromTheTemplateToo)
{
    writeBytes(templateFile(), encodeGbk(u"[音乐格式]\r\n格式=mp3,wma\r\n"_s));
    const SettingsFile portable(FilePath(binDir()), [](const FilePath &) { return true; });
    ASSERT_TRUE(portable.write(u"自动播放"_s, u"参数"_s, u"不自动"_s));
    EXPECT_TRUE(QFile::exists(programFile()));
    EXPECT_EQ(portable.read(u"音乐格式"_s, u"格式"_s), u"mp3,wma"_s);
    EXPECT_FALSE(QFile::exists(userFile()));
}
