#include "platform/files/filenames.h"

#include <gtest/gtest.h>

using namespace tunora;

TEST(FileNames, EveryByteSurvivesTheRoundTrip)
{
    const QByteArray cases[] = {
        QByteArray(""),
        QByteArray("plain.mp3"),
        QByteArray("\xe6\xad\x8c.mp3"),                 // UTF-8 歌
        QByteArray("\xb8\xe8\xc7\xfa.mp3"),             // GBK 歌曲, not UTF-8
        QByteArray("mix \xe6\xad\x8c \xb8\xe8 end"),
        QByteArray("\xff\xfe\x80"),
        QByteArray("\xed\xa0\x80"),                     // an encoded surrogate is not valid UTF-8
        QByteArray("\xc0\xaf"),                         // overlong
        QByteArray("cut\xe6\xad"),                      // truncated sequence at the end
        QByteArray("\xef\xbb\xbfsong.mp3"),             // a byte order mark is part of the name
        QByteArray("\xff\xef\xbb\xbf"),                 // ... also after an escaped byte
    };
    for (const QByteArray &bytes : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        EXPECT_EQ(encodeFileName(decodeFileName(bytes)), bytes);
    }
}

TEST(FileNames, ValidUtf8DecodesAsText)
{
    EXPECT_EQ(decodeFileName(QByteArray("\xe6\xad\x8c.mp3")), QStringLiteral(u"歌.mp3"));
    EXPECT_EQ(encodeFileName(QStringLiteral(u"[铃声]歌.mp3")), QStringLiteral(u"[铃声]歌.mp3").toUtf8());
    // A character outside the BMP stays one character, not two escapes.
    EXPECT_EQ(decodeFileName(QByteArray("\xf0\x9f\x8e\xb5")), QString::fromUtf8("\xf0\x9f\x8e\xb5"));
    EXPECT_EQ(decodeFileName(QByteArray("\xef\xbb\xbf.mp3")), QStringLiteral(u"\uFEFF.mp3"));
}

// Names from Windows archives show as written; every other name shows as it decodes.
TEST(FileNames, ShownNames)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        QString shown;
    };
    const Case cases[] = {
        {"UTF-8", "\xe6\x99\xb4\xe5\xa4\xa9.mp3", QStringLiteral(u"晴天.mp3")},
        {"GBK", "\xc7\xe7\xcc\xec.mp3", QStringLiteral(u"晴天.mp3")},
        {"neither: each stray byte a replacement", "a\xff\xfe.mp3", QStringLiteral(u"a\uFFFD\uFFFD.mp3")},
        {"GBK folder in UTF-8 folders", "/\xe9\x9f\xb3\xe4\xb9\x90/\xc7\xe7\xcc\xec/",
         QStringLiteral(u"/音乐/晴天/")},
        {"GBK name in a GBK folder", "/m/\xb8\xe8\xc7\xfa/\xc7\xe7\xcc\xec.mp3", QStringLiteral(u"/m/歌曲/晴天.mp3")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = decodeFileName(c.bytes);
        EXPECT_EQ(displayPath(name), c.shown);
        if (!c.bytes.contains('/')) {
            EXPECT_EQ(displayFileName(name), c.shown);
        }
        // Showing never changes the name that leads to the file.
        EXPECT_EQ(encodeFileName(name), c.bytes);
    }
}

TEST(FileNames, TextThatBytesGiveBack)
{
    EXPECT_TRUE(roundTripsThroughBytes(decodeFileName("\xc7\xe7\xcc\xec.mp3")));
    EXPECT_TRUE(roundTripsThroughBytes(QStringLiteral(u"晴天 \U0001F3B5")));
    EXPECT_FALSE(roundTripsThroughBytes(QString(QChar(0xD83C)))) << "half a pair";
    EXPECT_FALSE(roundTripsThroughBytes(QString(QChar(0xDC00)))) << "a low surrogate that is no byte";
    // The bytes of 歌 as three escapes come back as the character.
    EXPECT_FALSE(roundTripsThroughBytes(QStringView(u"\xDCE6\xDCAD\xDC8C").toString()));
}
