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
