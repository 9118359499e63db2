#include "cutting/audiobounds.h"
#include "cutting/cutengine.h"

#include "songfiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

QByteArray syncsafe(quint32 size)
{
    QByteArray b(4, 0);
    for (int i = 3; i >= 0; --i, size >>= 7)
        b[i] = char(size & 0x7F);
    return b;
}

QByteArray littleEndian(quint32 v)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i, v >>= 8)
        b[i] = char(v & 0xFF);
    return b;
}

// The body is 0xFF bytes, which would look like frame sync if the tag were not skipped.
QByteArray id3v2(int majorVersion, quint32 bodySize, bool footer)
{
    const QByteArray rest = QByteArray(1, char(majorVersion)) + QByteArray(1, 0)
        + QByteArray(1, char(footer ? 0x10 : 0)) + syncsafe(bodySize);
    QByteArray tag = "ID3" + rest + QByteArray(bodySize, char(0xFF));
    if (footer)
        tag += "3DI" + rest;
    return tag;
}

// A whole MPEG frame from its header, with `marker` at `markerAt` and zeros elsewhere.
QByteArray infoFrame(quint32 header, int length, const char *marker, int markerAt)
{
    QByteArray frame(length, 0);
    for (int i = 0; i < 4; ++i)
        frame[i] = char(header >> (24 - 8 * i));
    frame.replace(markerAt, 4, marker);
    return frame;
}

QByteArray id3v1()
{
    return "TAG" + QByteArray(125, 'x');
}

QByteArray apeTag(bool withHeader)
{
    const QByteArray items = littleEndian(5) + littleEndian(0) + "Title" + QByteArray(1, 0) + "Hello";
    const quint32 size = quint32(items.size()) + 32;
    const QByteArray common = "APETAGEX" + littleEndian(2000) + littleEndian(size) + littleEndian(1);
    const quint32 flags = withHeader ? 0x80000000u : 0;
    QByteArray tag;
    if (withHeader)
        tag += common + littleEndian(flags | 0x20000000u) + QByteArray(8, 0);
    return tag + items + common + littleEndian(flags) + QByteArray(8, 0);
}

struct Layout {
    const char *what;
    QByteArray head;
    QByteArray tail;
};

} // namespace

TEST(AudioBounds, TagsAndInfoFramesAreNotAudio)
{
    const QByteArray audio = patternBytes(40'000, 3);
    const Layout layouts[] = {
        {"no tags", {}, {}},
        {"ID3v2.3", id3v2(3, 300, false), {}},
        {"ID3v2.4 with footer", id3v2(4, 1000, true), {}},
        {"two ID3v2 tags", id3v2(3, 200, false) + id3v2(4, 130, true), {}},
        {"Info frame, MPEG-1 Layer III stereo", infoFrame(0xFFFB9000, 417, "Info", 36), {}},
        {"Xing frame, MPEG-2 Layer III mono", infoFrame(0xFFF380C0, 208, "Xing", 13), {}},
        {"Xing frame with CRC", infoFrame(0xFFFA9000, 417, "Xing", 38), {}},
        {"VBRI frame, padded", infoFrame(0xFFFB9200, 418, "VBRI", 36), {}},
        {"ID3v2 then Info frame", id3v2(3, 300, false) + infoFrame(0xFFFB9000, 417, "Info", 36), {}},
        {"ID3v1", {}, id3v1()},
        {"APEv2 with header, then ID3v1", {}, apeTag(true) + id3v1()},
        {"APEv2 without header at the end", {}, apeTag(false)},
        {"everything", id3v2(4, 500, true) + infoFrame(0xFFFB9000, 417, "Xing", 36), apeTag(true) + id3v1()},
    };

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FilePath folder(dir.path());
    writeBytes((folder / u"plain.mp3"_s).text(), audio);
    // 40000 audio bytes over 10 s: 4 bytes per millisecond.
    const SongRow plainRow{u"plain.mp3"_s, u"1.5"_s, u"6"_s, u"4.5"_s, u"10"_s};
    const OutputDirs plainOut{FilePath(dir.path()), FilePath(dir.path())};
    ASSERT_EQ(cutOne(folder, plainRow, plainOut), CutOutcome::Written);
    const QByteArray expected = readBytes(dir.path() + u"/[铃声]plain.mp3"_s);
    ASSERT_EQ(expected, audio.mid(5'999, 18'000));

    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.what);
        const QString path = (folder / u"tagged.mp3"_s).text();
        writeBytes(path, layout.head + audio + layout.tail);
        const AudioBounds bounds = findAudioBounds(ReadFile(FilePath(path)));
        EXPECT_EQ(bounds.begin, layout.head.size());
        EXPECT_EQ(bounds.end, layout.head.size() + audio.size());

        SongRow row = plainRow;
        row.name = u"tagged.mp3"_s;
        ASSERT_EQ(cutOne(folder, row, plainOut), CutOutcome::Written);
        EXPECT_EQ(readBytes(dir.path() + u"/[铃声]tagged.mp3"_s), expected);
    }
}

TEST(AudioBounds, LookalikesAreAudio)
{
    const QByteArray audio = patternBytes(5'000, 1);
    QByteArray badSize = id3v2(3, 100, false);
    badSize[9] = char(0x80); // not syncsafe
    QByteArray apeTooBig = apeTag(false);
    apeTooBig.replace(apeTooBig.size() - 20, 4, littleEndian(1'000'000));
    const Layout layouts[] = {
        {"plain audio frame at the start", infoFrame(0xFFFB9000, 417, "LAME", 36), {}},
        {"Info at the wrong offset", infoFrame(0xFFFB9000, 417, "Info", 21), {}},
        {"free-format frame", infoFrame(0xFFFB0000, 417, "Info", 36), {}},
        {"ID3 with a size that is not syncsafe", badSize, {}},
        {"TAG not 128 bytes from the end", {}, "TAG" + QByteArray(100, 'x')},
        {"APE footer claiming more than the file", {}, apeTooBig},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.what);
        const QString path = dir.filePath(u"song.mp3"_s);
        const QByteArray bytes = layout.head + audio + layout.tail;
        writeBytes(path, bytes);
        const AudioBounds bounds = findAudioBounds(ReadFile(FilePath(path)));
        EXPECT_EQ(bounds.begin, 0);
        EXPECT_EQ(bounds.end, bytes.size());
    }
}

TEST(AudioBounds, FilesWithoutAudio)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"song.mp3"_s);

    writeBytes(path, id3v2(3, 100'000, false).left(500)); // a tag cut short
    EXPECT_EQ(findAudioBounds(ReadFile(FilePath(path))).size(), 0);

    writeBytes(path, id3v2(3, 100, false) + id3v1());
    EXPECT_EQ(findAudioBounds(ReadFile(FilePath(path))).size(), 0);

    writeBytes(path, QByteArray());
    EXPECT_EQ(findAudioBounds(ReadFile(FilePath(path))).size(), 0);

    EXPECT_EQ(findAudioBounds(ReadFile(FilePath(dir.filePath(u"missing.mp3"_s)))).size(), 0);
    EXPECT_EQ(findAudioBounds(ReadFile(FilePath(dir.path()))).size(), 0); // a folder is not a song
}
