#include "platform/files/gbkcodec.h"

#include <gtest/gtest.h>

using namespace tunora;

// Bytes as a Windows program in Chinese writes them (code page 936).
TEST(GbkCodec, DecodesAndEncodesWindowsText)
{
    const QByteArray bytes("[\xb2\xa5\xb7\xc5\xb7\xbd\xca\xbd]\r\n\xb2\xce\xca\xfd=\xd1\xad\xbb\xb7");
    const QString text = QStringLiteral(u"[播放方式]\r\n参数=循环");
    EXPECT_EQ(decodeGbk(bytes), text);
    bool ok = false;
    EXPECT_EQ(encodeGbk(text, &ok), bytes);
    EXPECT_TRUE(ok);
    // Code page 936 has the euro sign as the single byte 0x80.
    EXPECT_EQ(decodeGbk(QByteArray("\x80")), QString(QChar(0x20AC)));
}

TEST(GbkCodec, EveryByteSurvivesTheRoundTrip)
{
    const QByteArray cases[] = {
        QByteArray(""),
        QByteArray("plain ascii"),
        QByteArray("\xb8\xe8\xc7\xfa"),       // 歌曲
        QByteArray("\xff"),                   // never a lead byte
        QByteArray("\xb8"),                   // pair cut off at the end
        QByteArray("\xb8\n\xe8"),             // a line break is never a trail byte
        QByteArray("a\xff\xb8\xe8z\xa2\xe3"), // A2E3 has no character
        QByteArray("\xe6\xad\x8c"),           // UTF-8 bytes: some pairs are GBK, the rest kept
        QByteArray("\x00\x01\x7f", 3),
    };
    for (const QByteArray &bytes : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        bool ok = false;
        EXPECT_EQ(encodeGbk(decodeGbk(bytes), &ok), bytes);
        EXPECT_TRUE(ok);
    }
    EXPECT_EQ(decodeGbk(QByteArray("a\xff")), QStringLiteral(u"a\xdcff"));
    EXPECT_EQ(decodeGbk(QByteArray("\xb8\n")), QStringLiteral(u"\xdcb8\n"));
}

TEST(GbkCodec, CharactersOutsideGbkAreReported)
{
    const QString emoji = QString::fromUtf8("\xf0\x9f\x8e\xb5");
    bool ok = true;
    EXPECT_EQ(encodeGbk(QStringLiteral(u"a") + emoji + QStringLiteral(u"歌"), &ok), QByteArray("a?\xb8\xe8"));
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(encodeGbk(QStringLiteral(u"x\xd800y"), &ok), QByteArray("x?y")); // lone high surrogate
    EXPECT_FALSE(ok);
    ok = false;
    EXPECT_EQ(encodeGbk(QStringLiteral(u"歌"), &ok), QByteArray("\xb8\xe8"));
    EXPECT_TRUE(ok);
}
