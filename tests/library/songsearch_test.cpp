#include "library/songsearch.h"
#include "platform/files/filenames.h"

#include <gtest/gtest.h>

using namespace tunora;

TEST(SongSearch, LatinLettersMatchInAnyCaseEverythingElseExactly)
{
    struct Case { QString text; QString part; bool found; };
    const Case cases[] = {
        {QStringLiteral("I Love You.mp3"), QStringLiteral("LOVE"), true},
        {QStringLiteral("LOVE.mp3"), QStringLiteral("love"), true},
        {QStringLiteral("lOvE.mp3"), QStringLiteral("LoVe"), true},
        {QStringLiteral("glove.mp3"), QStringLiteral("Love"), true},
        {QStringLiteral("lov.mp3"), QStringLiteral("love"), false},
        {QStringLiteral(u"爱你.mp3"), QStringLiteral(u"爱"), true},
        {QStringLiteral(u"爱你.mp3"), QStringLiteral(u"恨"), false},
        // Only A-Z fold: full-width and accented letters keep their case.
        {QStringLiteral(u"ＬＯＶＥ.mp3"), QStringLiteral(u"ｌｏｖｅ"), false},
        {QStringLiteral(u"Éclair.mp3"), QStringLiteral(u"éclair"), false},
        {QStringLiteral(u"Éclair.MP3"), QStringLiteral(u"É"), true},
        {QStringLiteral("a_b.mp3"), QStringLiteral("_B"), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.text + u" / " + c.part).toStdString());
        EXPECT_EQ(containsIgnoringLatinCase(c.text, c.part), c.found);
    }
}

TEST(SongSearch, MatchesKeepTheListOrderAndAnEmptyPartFindsNothing)
{
    const QStringList entries = {QStringLiteral("z-love.mp3"), QStringLiteral("other.mp3"),
                                 QStringLiteral("LOVELY.wma"), QStringLiteral("a love.mp3")};
    EXPECT_EQ(songsContaining(entries, QStringLiteral("Love")),
              QStringList({QStringLiteral("z-love.mp3"), QStringLiteral("LOVELY.wma"), QStringLiteral("a love.mp3")}));
    EXPECT_TRUE(songsContaining(entries, QString()).isEmpty());
    EXPECT_TRUE(songsContaining({}, QStringLiteral("love")).isEmpty());
}

TEST(SongSearch, MatchesTheShownNameAndGivesBackTheFilesName)
{
    // 晴天.mp3 from a Windows archive: GBK bytes, shown decoded.
    const QString gbk = decodeFileName(QByteArray("\xc7\xe7\xcc\xec.mp3"));
    const QStringList entries = {QStringLiteral("a.mp3"), gbk};
    EXPECT_EQ(songsContaining(entries, QStringLiteral(u"晴")), QStringList{gbk});
    EXPECT_EQ(songsContaining(entries, QStringLiteral(u"晴天.MP3")), QStringList{gbk});
}
