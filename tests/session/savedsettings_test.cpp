#include "session/savedsettings.h"

#include "platform/files/gbkcodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

class RingtoneEffectSettings : public ::testing::Test {
protected:
    QTemporaryDir programDir;
    SavedSettings settings{FilePath(programDir.path())};

    QString filePath() const { return programDir.filePath(u"初始化配置.ini"_s); }
    QByteArray fileBytes() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QString &text) const
    {
        QFile file(filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(encodeGbk(text));
    }
};

TEST_F(RingtoneEffectSettings, AllOffWithDefaultLengthsUntilChosen)
{
    const RingtoneEffects effects = settings.ringtoneEffects();
    EXPECT_FALSE(effects.any());
    EXPECT_EQ(effects.fadeInSeconds, 1.0);
    EXPECT_EQ(effects.fadeOutSeconds, 2.0);
    EXPECT_FALSE(QFile::exists(filePath())) << "reading never creates the file";
}

TEST_F(RingtoneEffectSettings, EachChoiceIsWrittenInGbkWithCrlfAndItsLengthBesideIt)
{
    writeFile(u"[最小化]\r\n参数=是\r\n"_s);
    settings.setEffect(SavedSettings::Effect::FadeIn, true);
    settings.setEffect(SavedSettings::Effect::FadeOut, true);
    settings.setEffect(SavedSettings::Effect::EvenLoudness, true);
    settings.setEffect(SavedSettings::Effect::FadeOut, false);
    EXPECT_EQ(fileBytes(), encodeGbk(u"[最小化]\r\n参数=是\r\n[铃声效果]\r\n淡入=是\r\n淡入秒数=1\r\n淡出=否\r\n"
                                     u"淡出秒数=2\r\n响度统一=是\r\n"_s));
    const RingtoneEffects effects = settings.ringtoneEffects();
    EXPECT_TRUE(effects.fadeIn);
    EXPECT_FALSE(effects.fadeOut);
    EXPECT_TRUE(effects.evenLoudness);
}

TEST_F(RingtoneEffectSettings, LengthsEditedByHandAreTakenWhenTheyMakeSense)
{
    struct Case {
        const char16_t *written;
        double read;
    };
    const Case cases[] = {
        {u"0.5", 0.5}, {u" 3 ", 3.0}, {u"", 1.0}, {u"abc", 1.0}, {u"0", 1.0}, {u"-2", 1.0}, {u"1e9", 1.0}, {u"nan", 1.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.written).toStdString());
        writeFile(u"[铃声效果]\r\n淡入=是\r\n淡入秒数="_s + QString::fromUtf16(c.written) + u"\r\n"_s);
        EXPECT_EQ(settings.ringtoneEffects().fadeInSeconds, c.read);
        settings.setEffect(SavedSettings::Effect::FadeIn, true);
        EXPECT_EQ(settings.ringtoneEffects().fadeInSeconds, c.read) << "choosing an effect keeps a length that counts";
    }
}

} // namespace
