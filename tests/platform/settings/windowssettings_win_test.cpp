// The settings file on Windows: beside the program in GBK with CRLF, as the program it
// replaces wrote it, whatever the system's ANSI code page; elsewhere when that folder is
// closed to the user.
#include "platform/files/gbkcodec.h"
#include "platform/settings/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tunora {
namespace {

QByteArray bytesOf(const FilePath &path)
{
    QFile file(path.text());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(WindowsSettingsFile, IsWrittenBesideTheProgramInGbkWithCrlf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A program unpacked into a folder whose name only UTF-16 holds on a Western Windows.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"铃声 노래"_s));
    const FilePath program = FilePath(dir.path()) / u"铃声 노래"_s;
    const SettingsFile settings(program);
    ASSERT_EQ(settings.path(), program / u"初始化配置.ini"_s);

    const QString songFolder = u"C:/Users/李/歌曲"_s;
    ASSERT_TRUE(settings.write(u"基本设置"_s, u"歌曲目录"_s, songFolder));
    ASSERT_TRUE(settings.write(u"基本设置"_s, u"播放模式"_s, u"1"_s));
    const QByteArray bytes = bytesOf(settings.path());
    EXPECT_EQ(bytes, encodeGbk(u"[基本设置]\r\n歌曲目录=C:/Users/李/歌曲\r\n播放模式=1\r\n"_s));
    EXPECT_EQ(settings.read(u"基本设置"_s, u"歌曲目录"_s), songFolder);
    EXPECT_EQ(QDir(program.text()).entryList(QDir::Files | QDir::Hidden), QStringList{u"初始化配置.ini"_s});
}

TEST(WindowsSettingsFile, GoesToTheUsersFolderWhenTheProgramsIsClosed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FilePath program(dir.path());
    const SettingsFile settings(program, [](const FilePath &) { return false; });
    EXPECT_TRUE(settings.path().isAbsolute());
    EXPECT_NE(settings.path().folder(), program);
    EXPECT_TRUE(settings.path().text().endsWith(u"/tunora/初始化配置.ini"_s)) << settings.path().text().toStdString();
}

} // namespace
} // namespace tunora
