#include "cutting/container.h"
#include "cutting/cutengine.h"
#include "app/panels/cuttingmessages.h"
#include "cutting/mergeengine.h"

#include "decodedaudio.h"
#include "songfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

#include <unistd.h>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

// The pitch of second k of the fixtures' tone.
double pitchOfSecond(int k)
{
    return 300.0 + 100.0 * k;
}

// A figure a player reads from the file without decoding it: "duration" (its length) or
// "start_time" (the time stamp it starts at; a WAV file has none, which counts as 0).
double reported(const QString &path, const QString &what)
{
    QProcess probe;
    probe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_entries"_s, u"format="_s + what, u"-of"_s,
                               u"default=noprint_wrappers=1:nokey=1"_s, path});
    if (!probe.waitForFinished(30'000) || probe.exitCode() != 0)
        return -1;
    const QByteArray text = probe.readAllStandardOutput().trimmed();
    return text == "N/A" ? 0.0 : text.toDouble();
}

class ContainerCutTest : public SongFoldersTest {
protected:
    // The tones in each container, made once for all tests by the fixture script.
    static void SetUpTestSuite()
    {
        s_fixtures = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_fixtures->isValid());
        QProcess script;
        script.start(u"sh"_s, {QStringLiteral(TUNORA_TEST_DATA_DIR "/make_fixtures.sh"), u"containers"_s,
                               s_fixtures->path()});
        ASSERT_TRUE(script.waitForFinished(120'000));
        ASSERT_EQ(script.exitCode(), 0) << "make_fixtures.sh needs sox and ffmpeg (scripts/install-deps.sh --test): "
                                        << script.readAllStandardError().toStdString();
    }
    static void TearDownTestSuite() { s_fixtures.reset(); }

    // The fixture `fixture` in the song folder as `name`; its bytes.
    QByteArray addFixture(const QString &fixture, const QString &name)
    {
        const QByteArray bytes = readBytes(s_fixtures->filePath(fixture));
        EXPECT_FALSE(bytes.isEmpty()) << fixture.toStdString();
        writeBytes(songPath(name), bytes);
        return bytes;
    }

    static SongRow row(const QString &name, const QString &start, const QString &end)
    {
        // The song length is the player's and plays no part in a cut by time.
        return {name, start, end, u"1"_s, u"6.03"_s};
    }

    void expectNoOutputs()
    {
        EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty()) << entriesOf(m_dirs.workDir.text()).join(u' ').toStdString();
        EXPECT_TRUE(entriesOf(m_dirs.programDir.text()).isEmpty()) << entriesOf(m_dirs.programDir.text()).join(u' ').toStdString();
    }

    static std::unique_ptr<QTemporaryDir> s_fixtures;
};

std::unique_ptr<QTemporaryDir> ContainerCutTest::s_fixtures;

} // namespace

TEST_F(ContainerCutTest, CutHoldsTheMarkedSecondsAndPlays)
{
    const struct {
        const char *fixture;
        const char *name; // as the song folder has it
        Container container;
        bool startsAtZero; // FLAC frames keep their numbers, so its time stamps go on from the mark
    } sources[] = {
        {"steps.wav", "steps.wav", Container::Wav, true},
        {"steps-adpcm.wav", "steps-adpcm.wav", Container::Wav, true},
        {"steps.wma", "steps.wma", Container::Asf, true},
        {"steps.wma", "named like an mp3.mp3", Container::Asf, true}, // the content decides, not the name
        {"steps.flac", "steps.flac", Container::Flac, false},
        {"steps-id3.flac", "steps-id3.flac", Container::Flac, false},
        {"steps.ogg", "steps.ogg", Container::Ogg, true},
        {"steps.m4a", "steps.m4a", Container::Mp4, true},
    };
    const struct {
        const char *start;
        const char *end;
        double seconds;  // what the output holds
        int firstSecond; // the song's second it starts in
        int lastSecond;  // the song's second it ends in
    } spans[] = {
        {"2", "4.5", 2.5, 2, 4},
        {"0", "1.5", 1.5, 0, 1},
        {"3.6", "99", 6.0 - 3.6, 3, 5}, // an end past the song's end ends with the song
    };
    for (const auto &source : sources) {
        const QString name = QString::fromUtf8(source.name);
        addFixture(QString::fromLatin1(source.fixture), name);
        for (const auto &span : spans) {
            SCOPED_TRACE(std::string(source.name) + " from " + span.start + " to " + span.end);
            ASSERT_EQ(cutOne(m_folder, row(name, QString::fromLatin1(span.start), QString::fromLatin1(span.end)), m_dirs),
                      CutOutcome::Written);
            const QString output = m_dirs.programDir.text() + u"/"_s + ringtoneFileName(name);
            EXPECT_EQ(detectContainer(ReadFile(FilePath(output))), source.container);

            QString error;
            const std::optional<DecodedAudio> audio = decodeWithFfmpeg(output, &error);
            ASSERT_TRUE(audio) << error.toStdString();
            EXPECT_NEAR(audio->seconds(), span.seconds, 0.1);
            EXPECT_NEAR(reported(output, u"duration"_s), span.seconds, 0.1) << "the header's length";
            if (source.startsAtZero) {
                EXPECT_NEAR(reported(output, u"start_time"_s), 0.0, 0.001);
            }
            EXPECT_NEAR(audio->pitchBetween(0.1, 0.35), pitchOfSecond(span.firstSecond), 25);
            EXPECT_NEAR(audio->pitchBetween(audio->seconds() - 0.35, audio->seconds() - 0.1),
                        pitchOfSecond(span.lastSecond), 25);
            EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());
        }
    }
}

TEST_F(ContainerCutTest, WavCutIsTheHeaderAndWholeSampleFrames)
{
    // 8 kHz stereo 16-bit: 32000 bytes a second, 4 bytes a frame.
    const QByteArray song = addFixture(u"steps.wav"_s, u"a.wav"_s);
    const qint64 data = song.indexOf("data") + 8;
    ASSERT_GT(data, 8);
    const struct {
        const char *start;
        const char *end;
        qint64 firstFrame;
        qint64 frames;
    } cases[] = {
        {"2", "4.5", 16'000, 20'000},
        {"1.23", "1.2345", 9'840, 36}, // 9840 frames and a fraction: the fraction is dropped
        {"0", "0.0001", 0, 0},         // less than a frame: nothing
        {"5.9", "7", 47'200, 800},     // clipped at the last frame
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.start) + " to " + c.end);
        QFile::remove(m_dirs.programDir.text() + u"/[铃声]a.wav"_s);
        const CutOutcome outcome = cutOne(m_folder, row(u"a.wav"_s, QString::fromLatin1(c.start), QString::fromLatin1(c.end)), m_dirs);
        if (c.frames == 0) {
            EXPECT_EQ(outcome, CutOutcome::Nothing);
            expectNoOutputs();
            continue;
        }
        ASSERT_EQ(outcome, CutOutcome::Written);
        const QByteArray out = programFile(u"[铃声]a.wav"_s);
        const qint64 outData = out.indexOf("data") + 8;
        ASSERT_GT(outData, 8);
        EXPECT_EQ(out.left(4), "RIFF");
        EXPECT_EQ(qFromLittleEndian<quint32>(out.constData() + 4), quint32(out.size() - 8));
        EXPECT_EQ(qFromLittleEndian<quint32>(out.constData() + outData - 4), quint32(c.frames * 4));
        EXPECT_EQ(out.mid(12, outData - 12 - 8), song.mid(12, data - 12 - 8)) << "the format chunk";
        EXPECT_EQ(out.mid(outData), song.mid(data + c.firstFrame * 4, c.frames * 4));
    }
}

TEST_F(ContainerCutTest, ContainerThatCannotBeCutFailsAndLeavesNoFile)
{
    const QByteArray wma = addFixture(u"steps.wma"_s, u"good.wma"_s);
    const QByteArray wav = readBytes(s_fixtures->filePath(u"steps.wav"_s));
    QByteArray packetSizesDiffer = wma;
    packetSizesDiffer[30 + 92] = char(packetSizesDiffer[30 + 92] + 1); // file properties: minimum packet size
    ASSERT_EQ(packetSizesDiffer.mid(30, 4), QByteArray::fromHex("A1DCAB8C"));
    QByteArray wavWithoutFormat = wav;
    wavWithoutFormat.replace(12, 4, "junk");
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"WMA header cut short", wma.left(300)},
        {"WMA packets of differing sizes", packetSizesDiffer},
        {"WMA without its data object", wma.left(wma.indexOf(QByteArray::fromHex("3626B2758E66CF11")))},
        {"WAV without a format chunk", wavWithoutFormat},
        {"Ogg page header only", QByteArray("OggS") + QByteArray(200, '\x01')},
        {"MP4 without boxes", QByteArray("\0\0\0\x14" "ftypM4A ", 12) + QByteArray(500, '\x02')},
        {"FLAC marker and nothing else", QByteArray("fLaC") + QByteArray(60, '\0')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(songPath(u"bad.wma"_s), c.bytes);
        ASSERT_NE(detectContainer(ReadFile(m_folder / u"bad.wma"_s)), Container::Unrecognised);
        const CutOutcome outcome = cutOne(m_folder, row(u"bad.wma"_s, u"1"_s, u"2"_s), m_dirs);
        EXPECT_EQ(outcome, CutOutcome::CannotCut);
        expectNoOutputs();
        const std::optional<Notice> notice = cutOneNotice(outcome, m_dirs.workDir);
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->text, u"剪切失败！"_s);
        EXPECT_EQ(notice->style, MessageStyle::Exclamation);

        // Cut all counts it as failed and goes on.
        const CutTally tally = cutAll(m_folder, {row(u"bad.wma"_s, u"1"_s, u"2"_s), row(u"good.wma"_s, u"1"_s, u"2"_s)}, m_dirs);
        EXPECT_EQ(tally.succeeded, 1);
        EXPECT_EQ(tally.failed, 1);
        EXPECT_EQ(entriesOf(m_dirs.programDir.text()), QStringList{u"[铃声]good.wma"_s});
        QFile::remove(m_dirs.programDir.text() + u"/[铃声]good.wma"_s);
    }
}

TEST_F(ContainerCutTest, MarksThatHoldNothingOfTheSongWriteNothing)
{
    for (const char *fixture : {"steps.wav", "steps.wma", "steps.flac", "steps.ogg", "steps.m4a"}) {
        const QString name = QString::fromLatin1(fixture);
        addFixture(name, name);
        for (const auto &[start, end] : {std::pair{"7", "9"}, std::pair{"3", "3"}, std::pair{"4", "2"}}) {
            SCOPED_TRACE(std::string(fixture) + " from " + start + " to " + end);
            EXPECT_EQ(cutOne(m_folder, row(name, QString::fromLatin1(start), QString::fromLatin1(end)), m_dirs),
                      CutOutcome::Nothing);
            expectNoOutputs();
        }
    }
}

TEST_F(ContainerCutTest, MergeTakesOnlyMpegRows)
{
    const QByteArray mp3 = addSong(u"a.mp3"_s, 1); // 40000 bytes over 10 s
    addFixture(u"steps.wma"_s, u"b.wma"_s);
    const QList<SongRow> rows = {{u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s, u"10"_s}, row(u"b.wma"_s, u"1"_s, u"2"_s)};
    const MergeOutcome outcome = mergeAll(m_folder, rows, m_dirs);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Written);
    EXPECT_EQ(outcome.merged, 1);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(programFile(kMergeOutputName), mp3.mid(3'999, 4'000));
    EXPECT_EQ(mergeNotice(outcome, m_dirs.workDir)->text, u"合并成功：1首。合并失败：1首！"_s);
}

TEST_F(ContainerCutTest, MpegCutsStayTheByteSlicesTheyWere)
{
    // Sizes and MD5 sums of these cuts as the engine wrote them before containers were cut by
    // time: MPEG audio, tagged or not, is still cut as the same byte slice.
    const struct {
        const char *song;
        const char *start;
        const char *end;
        const char *songLength;
        qint64 size;
        const char *md5;
    } cases[] = {
        {"tone-1s.mp3", "0", "0.5", "1.04", 4000, "ea827c2165e7dbb7d01358e983ab560f"},
        {"tone-1s.mp3", "0.3", "0.9", "1.04", 4799, "0a6b4e09a31f0f6279c318f58a99fb8e"},
        {"tone-2s.mp3", "0.7", "1.6", "2.04", 6300, "e9a11b8933110847a517d21d90cdfd5a"},
        {"tone-picture.mp3", "0.2", "1.1", "1.54", 7200, "c890cbb731cb34ba5d977cf64779315b"},
        {"tone-cover-3s.mp3", "1", "2.5", "3.03", 12000, "faf35207f3108ceeab75f7a4bf483181"},
        {"tone-cover-3s.mp3", "0", "9", "3.03", 24241, "5abf5bc9d529c292034d668c6004bde7"},
    };
    const FilePath data(QStringLiteral(TUNORA_TEST_DATA_DIR));
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.song) + " from " + c.start + " to " + c.end);
        const QString name = QString::fromLatin1(c.song);
        const SongRow mp3{name, QString::fromLatin1(c.start), QString::fromLatin1(c.end), u"1"_s,
                          QString::fromLatin1(c.songLength)};
        ASSERT_EQ(cutOne(data, mp3, m_dirs), CutOutcome::Written);
        const QByteArray out = programFile(ringtoneFileName(name));
        EXPECT_EQ(out.size(), c.size);
        EXPECT_EQ(QCryptographicHash::hash(out, QCryptographicHash::Md5).toHex(), QByteArray(c.md5));
    }
}

namespace {

// The CRC of an Ogg page, over the page with its CRC field zeroed.
quint32 oggPageCrc(const QByteArray &page)
{
    quint32 crc = 0;
    for (const char byte : page) {
        crc ^= quint32(quint8(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// The Ogg Opus song with `padding` zero bytes after its comments, as opusenc leaves room for
// tags to grow: libavformat tells of such bytes on its log. Empty when the comment packet is
// not a one-segment page.
QByteArray withPaddedOpusTags(QByteArray song, int padding)
{
    const qsizetype tags = song.indexOf("OpusTags");
    const qsizetype page = song.lastIndexOf("OggS", tags);
    if (tags < 0 || page < 0 || song[page + 26] != 1 || quint8(song[page + 27]) + padding > 254)
        return {};
    const qsizetype end = page + 28 + quint8(song[page + 27]);
    song[page + 27] = char(quint8(song[page + 27]) + padding);
    song.insert(end, QByteArray(padding, '\0'));
    song.replace(page + 22, 4, QByteArray(4, '\0'));
    const quint32 crc = qToLittleEndian(oggPageCrc(song.mid(page, end + padding - page)));
    song.replace(page + 22, 4, QByteArray(reinterpret_cast<const char *>(&crc), 4));
    return song;
}

// What the process writes on its standard error while `work` runs.
QByteArray standardErrorOf(const std::function<void()> &work)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "cannot capture standard error";
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture.handle(), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

} // namespace

TEST_F(ContainerCutTest, OpusCutPrintsNothingOnStandardError)
{
    const QString plain = m_root.filePath(u"plain.opus"_s);
    ASSERT_EQ(QProcess::execute(u"ffmpeg"_s, {u"-nostdin"_s, u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                              u"sine=f=440:d=3"_s, u"-c:a"_s, u"libopus"_s, plain}),
              0);
    const QByteArray song = withPaddedOpusTags(readBytes(plain), 100);
    ASSERT_FALSE(song.isEmpty());
    writeBytes(songPath(u"padded.opus"_s), song);
    // The song is one that libavformat tells about at its default level.
    QProcess probe;
    probe.start(u"ffprobe"_s, {u"-hide_banner"_s, songPath(u"padded.opus"_s)});
    ASSERT_TRUE(probe.waitForFinished(30'000));
    ASSERT_TRUE(probe.readAllStandardError().contains("bytes of comment header remain"));

    CutOutcome outcome = CutOutcome::Nothing;
    const QByteArray printed = standardErrorOf([&] { outcome = cutOne(m_folder, row(u"padded.opus"_s, u"1"_s, u"2"_s), m_dirs); });
    EXPECT_EQ(outcome, CutOutcome::Written);
    EXPECT_TRUE(printed.isEmpty()) << printed.toStdString();
    const std::optional<DecodedAudio> audio = decodeWithFfmpeg(m_dirs.programDir.text() + u"/[铃声]padded.opus"_s);
    ASSERT_TRUE(audio);
    EXPECT_NEAR(audio->seconds(), 1.0, 0.1);
}
