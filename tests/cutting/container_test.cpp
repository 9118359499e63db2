#include "cutting/container.h"

#include "songfiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

TEST(Container, RecognisedByTheFirstBytes)
{
    const QByteArray asfGuid = QByteArray::fromHex("3026B2758E66CF11A6D900AA0062CE6C");
    // An ID3v2.3 tag with a 20-byte body.
    const QByteArray id3 = QByteArray("ID3\x03\0\0\0\0\0\x14", 10) + QByteArray(20, 'x');
    const QByteArray mpegFrame = QByteArray::fromHex("FFFB9000") + QByteArray(413, '\0');
    const struct {
        const char *what;
        QByteArray bytes;
        Container expected;
    } cases[] = {
        {"ASF", asfGuid + QByteArray(100, '\0'), Container::Asf},
        {"WAV", QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16), Container::Wav},
        {"Ogg", QByteArray("OggS\0\x02", 6), Container::Ogg},
        {"MP4", QByteArray("\0\0\0\x20" "ftypM4A ", 12), Container::Mp4},
        {"FLAC", QByteArray("fLaC\0\0\0\x22"), Container::Flac},
        {"FLAC behind an ID3v2 tag", id3 + "fLaC" + QByteArray(40, '\0'), Container::Flac},
        {"MPEG audio", mpegFrame, Container::Unrecognised},
        {"MPEG audio behind an ID3v2 tag", id3 + mpegFrame, Container::Unrecognised},
        {"RIFF that is not WAVE (AVI)", QByteArray("RIFF\x24\0\0\0AVI LIST", 16), Container::Unrecognised},
        {"ASF GUID with one byte wrong", asfGuid.left(15) + "\x6D" + QByteArray(100, '\0'), Container::Unrecognised},
        {"ASF GUID cut short", asfGuid.left(10), Container::Unrecognised},
        {"fLaC further in than the start", "x" + QByteArray("fLaC"), Container::Unrecognised},
        {"empty file", QByteArray(), Container::Unrecognised},
        {"bytes of no format", patternBytes(1000), Container::Unrecognised},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"song.wma"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, c.bytes);
        EXPECT_EQ(detectContainer(ReadFile(FilePath(path))), c.expected);
    }
    EXPECT_EQ(detectContainer(ReadFile(FilePath(dir.filePath(u"missing.wma"_s)))), Container::Unrecognised);
}
