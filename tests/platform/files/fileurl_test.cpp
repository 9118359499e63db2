#include "platform/files/fileurl.h"

#include <gtest/gtest.h>

using namespace tunora;

TEST(FileUrls, FileUrlsKeepEveryByteOfThePath)
{
    const QByteArray paths[] = {
        QByteArray("/music/plain.mp3"),
        QByteArray("/music/two words/#1 100%?.mp3"),
        QByteArray("/\xe6\xad\x8c/\xe6\xad\x8c.mp3"),       // UTF-8 歌
        QByteArray("/music/\xb8\xe8\xc7\xfa.mp3"),         // GBK 歌曲, not UTF-8
    };
    for (const QByteArray &bytes : paths) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        const QString url = fileUrlOf(FilePath::fromBytes(bytes));
        EXPECT_TRUE(url.startsWith(QStringLiteral("file:///")));
        EXPECT_EQ(pathOfFileUrl(url).bytes(), bytes);
    }
    EXPECT_EQ(fileUrlOf(FilePath(QStringLiteral("/a b/c.mp3"))), QStringLiteral("file:///a%20b/c.mp3"));
}

TEST(FileUrls, OnlyLocalFileUrlsGiveAPath)
{
    struct Case { const char *url; QString path; };
    const Case cases[] = {
        {"file:///music/a.mp3", QStringLiteral("/music/a.mp3")},
        {"file://localhost/music/a.mp3", QStringLiteral("/music/a.mp3")},
        {"file:///music/\xe6\xad\x8c.mp3", QStringLiteral(u"/music/歌.mp3")},   // not percent-encoded
        {"file:///music/a%2Fb.mp3", QStringLiteral("/music/a/b.mp3")},
        {"file://otherhost/music/a.mp3", QString()},
        {"http://example.com/a.mp3", QString()},
        {"/music/a.mp3", QString()},
        {"file:a.mp3", QString()},
        {"file:///music/bad%zz.mp3", QString()},
        {"", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(pathOfFileUrl(QString::fromUtf8(c.url)), FilePath(c.path));
    }
}
