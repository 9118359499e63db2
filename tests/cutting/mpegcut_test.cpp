#include "cutting/cutengine.h"
#include "cutting/layer3sideinfo.h"
#include "cutting/mergeengine.h"
#include "cutting/mpegheader.h"

#include "decodedaudio.h"
#include "songfiles.h"
#include "steptone.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <memory>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

const QString kMerged = u"[铃声]劲歌金曲[请自行修改名字].mp3"_s;
constexpr double kSongSeconds = 30.0; // the VBR and CBR songs' tone lasts this long
constexpr double kNear = 0.05;        // how close to a mark a cut starts and ends

// The fixture songs' pitches: the "a" songs and s48 step up from 300 Hz, the "b" songs and s22
// from 350 Hz, so a merge of the two kinds tells them apart.
const StepTone kToneA{300};
const StepTone kToneB{350};

StepTone toneOf(const QString &fixture)
{
    return fixture.contains(u"-b"_s) || fixture.startsWith(u"s22"_s) ? kToneB : kToneA;
}

// The length a player reads from the file without decoding it.
double probedSeconds(const QString &path)
{
    QProcess probe;
    probe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_entries"_s, u"format=duration"_s, u"-of"_s,
                               u"default=noprint_wrappers=1:nokey=1"_s, path});
    if (!probe.waitForFinished(30'000) || probe.exitCode() != 0)
        return -1;
    return probe.readAllStandardOutput().trimmed().toDouble();
}

double peakBetween(const DecodedAudio &audio, double from, double to)
{
    const size_t a = size_t(std::max(0.0, from) * DecodedAudio::kRate);
    const size_t b = std::min(audio.samples.size(), size_t(std::max(0.0, to) * DecodedAudio::kRate));
    int peak = 0;
    for (size_t i = a; i < b; ++i)
        peak = std::max(peak, std::abs(int(audio.samples[i])));
    return peak;
}

class MpegCutTest : public SongFoldersTest {
protected:
    static void SetUpTestSuite()
    {
        s_fixtures = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_fixtures->isValid());
        QProcess script;
        script.start(u"sh"_s, {QStringLiteral(TUNORA_TEST_DATA_DIR "/make_fixtures.sh"), u"mpeg"_s,
                               s_fixtures->path()});
        ASSERT_TRUE(script.waitForFinished(120'000));
        if (script.exitCode() != 0)
            s_missing = script.readAllStandardError().toStdString();
    }
    static void TearDownTestSuite()
    {
        s_fixtures.reset();
        s_decoded.clear();
    }

    void SetUp() override
    {
        SongFoldersTest::SetUp();
        if (!s_missing.empty())
            GTEST_SKIP() << "make_fixtures.sh mpeg needs ffmpeg and lame (scripts/install-deps.sh --test): "
                         << s_missing;
    }

    // The fixture in the song folder under its own name; its bytes.
    QByteArray addFixture(const QString &fixture)
    {
        const QByteArray bytes = readBytes(s_fixtures->filePath(fixture));
        EXPECT_FALSE(bytes.isEmpty()) << fixture.toStdString();
        writeBytes(songPath(fixture), bytes);
        return bytes;
    }

    // The whole song as a player decodes it, for the loudness of its stretches.
    static const DecodedAudio &decodedSong(const QString &fixture)
    {
        auto found = s_decoded.find(fixture);
        if (found == s_decoded.end()) {
            std::optional<DecodedAudio> audio = decodeWithFfmpeg(s_fixtures->filePath(fixture));
            found = s_decoded.emplace(fixture, audio.value_or(DecodedAudio{})).first;
        }
        return found->second;
    }

    static SongRow row(const QString &name, const QString &start, const QString &end)
    {
        // The length a player shows for the 30 s songs; a VBR cut does not use it.
        return {name, start, end, QString::number(end.toDouble() - start.toDouble()), u"30.04"_s};
    }

    QString programPath(const QString &name) const { return (m_dirs.programDir / name).text(); }

    static std::unique_ptr<QTemporaryDir> s_fixtures;
    static std::string s_missing;
    static std::map<QString, DecodedAudio> s_decoded;
};

std::unique_ptr<QTemporaryDir> MpegCutTest::s_fixtures;
std::string MpegCutTest::s_missing;
std::map<QString, DecodedAudio> MpegCutTest::s_decoded;

// Whether the file starts with an Xing info frame.
bool startsWithXing(const QByteArray &file)
{
    if (file.size() < 4)
        return false;
    const std::optional<MpegHeader> h = parseMpegHeader(reinterpret_cast<const unsigned char *>(file.constData()));
    return h && file.mid(h->payloadOffset(), 4) == "Xing";
}

// The bit rates of the file's audio frames, which must follow one another to its end; empty
// when they do not.
std::set<int> bitratesOf(const QByteArray &file)
{
    std::set<int> bitrates;
    const auto *bytes = reinterpret_cast<const unsigned char *>(file.constData());
    for (qint64 at = 0; at < file.size();) {
        const std::optional<MpegHeader> h = at + 4 <= file.size() ? parseMpegHeader(bytes + at) : std::nullopt;
        if (!h || at + h->length > file.size())
            return {};
        if (at > 0 || !startsWithXing(file))
            bitrates.insert(h->bitrateIndex);
        at += h->length;
    }
    return bitrates;
}

} // namespace

TEST_F(MpegCutTest, VbrCutHoldsTheMarkedSecondsAndKnowsItsLength)
{
    const struct {
        const char *start;
        const char *end;
    } marks[] = {
        {"5", "10"},      // all quiet: few bytes a second
        {"20", "25"},     // all loud
        {"8.3", "13.6"},  // across the change
        {"0", "2.5"},     // from the start
        {"27.45", "40"},  // past the end: ends with the song
    };
    for (const QString &fixture : {u"vbr-a.mp3"_s, u"vbr-b.mp3"_s}) {
        addFixture(fixture);
        for (const auto &mark : marks) {
            SCOPED_TRACE(fixture.toStdString() + " from " + mark.start + " to " + mark.end);
            ASSERT_EQ(cutOne(m_folder, row(fixture, QString::fromLatin1(mark.start), QString::fromLatin1(mark.end)),
                             m_dirs),
                      CutOutcome::Written);
            const QString output = programPath(ringtoneFileName(fixture));
            EXPECT_TRUE(startsWithXing(readBytes(output)));

            QString error;
            const std::optional<DecodedAudio> audio = decodeWithFfmpeg(output, &error);
            ASSERT_TRUE(audio) << error.toStdString();
            EXPECT_TRUE(audio->messages.isEmpty()) << audio->messages.toStdString();
            const std::vector<HeardStretch> heard = heardStretches(*audio, {toneOf(fixture)});
            ASSERT_EQ(heard.size(), 1u);
            EXPECT_NEAR(heard[0].songStart, std::atof(mark.start), kNear);
            EXPECT_NEAR(heard[0].songEnd, std::min(std::atof(mark.end), kSongSeconds), kNear);
            EXPECT_NEAR(probedSeconds(output), audio->seconds(), audio->seconds() * 0.01) << "the length it says";
        }
    }
}

TEST_F(MpegCutTest, CbrCutIsTheProportionalByteSlice)
{
    // 480653 bytes of frames behind a 417-byte Info frame, over 30.04 s: 16 bytes per ms.
    const struct {
        const char *start;
        const char *end;
        qint64 position; // P, counted from 1 at the first frame
        qint64 length;   // L
    } marks[] = {
        {"5", "10", 80'000, 80'000},
        {"0.7", "10.7", 11'199, 159'999}, // single precision: both marks lie a hair low
        {"0", "1", 0, 16'000},
    };
    for (const QString &fixture : {u"cbr-a.mp3"_s, u"cbr-crc.mp3"_s}) {
        const QByteArray song = addFixture(fixture);
        ASSERT_EQ(song.size(), 417 + 480'653);
        for (const auto &mark : marks) {
            SCOPED_TRACE(fixture.toStdString() + " from " + mark.start + " to " + mark.end);
            ASSERT_EQ(cutOne(m_folder, row(fixture, QString::fromLatin1(mark.start), QString::fromLatin1(mark.end)),
                             m_dirs),
                      CutOutcome::Written);
            EXPECT_EQ(readBytes(programPath(ringtoneFileName(fixture))),
                      song.mid(417 + qMax<qint64>(mark.position, 1) - 1, mark.length));
        }
    }
}

TEST_F(MpegCutTest, MergedSegmentsHoldTheirMarksWithCleanJoints)
{
    const struct {
        const char *what;
        QList<SongRow> rows; // top to bottom: the bottom row comes first
    } cases[] = {
        {"VBR songs",
         {row(u"vbr-b.mp3"_s, u"22"_s, u"25.5"_s), row(u"vbr-a.mp3"_s, u"5.2"_s, u"8.7"_s),
          row(u"vbr-a.mp3"_s, u"14"_s, u"17"_s)}},
        {"a CBR song, then a VBR one", {row(u"vbr-b.mp3"_s, u"11"_s, u"14"_s), row(u"cbr-a.mp3"_s, u"3"_s, u"6"_s)}},
        {"CBR songs of one bit rate, one with error protection",
         {row(u"cbr-crc.mp3"_s, u"20"_s, u"23.5"_s), row(u"cbr-a.mp3"_s, u"3"_s, u"6"_s)}},
    };
    for (const QString &fixture : {u"vbr-a.mp3"_s, u"vbr-b.mp3"_s, u"cbr-a.mp3"_s, u"cbr-crc.mp3"_s})
        addFixture(fixture);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const MergeOutcome outcome = mergeAll(m_folder, c.rows, m_dirs);
        ASSERT_EQ(outcome.kind, MergeOutcome::Kind::Written);
        EXPECT_EQ(outcome.merged, c.rows.size());
        EXPECT_EQ(outcome.failed, 0);
        const QString output = programPath(kMerged);
        const std::set<int> bitrates = bitratesOf(readBytes(output));
        ASSERT_FALSE(bitrates.empty()) << "not whole frames to the end";
        EXPECT_EQ(startsWithXing(readBytes(output)), bitrates.size() > 1) << "an info frame when the bit rate varies";

        QString error;
        const std::optional<DecodedAudio> audio = decodeWithFfmpeg(output, &error);
        ASSERT_TRUE(audio) << error.toStdString();
        EXPECT_TRUE(audio->messages.isEmpty()) << audio->messages.toStdString();
        EXPECT_NEAR(probedSeconds(output), audio->seconds(), audio->seconds() * 0.01) << "the length it says";

        const std::vector<HeardStretch> heard = heardStretches(*audio, {kToneA, kToneB});
        ASSERT_EQ(heard.size(), size_t(c.rows.size()));
        for (qsizetype i = 0; i < c.rows.size(); ++i) {
            const SongRow &r = c.rows[c.rows.size() - 1 - i];
            SCOPED_TRACE("segment " + std::to_string(i) + ", " + r.name.toStdString());
            EXPECT_EQ(heard[size_t(i)].song, toneOf(r.name).base == kToneA.base ? 0 : 1);
            EXPECT_NEAR(heard[size_t(i)].songStart, r.start.toDouble(), kNear);
            EXPECT_NEAR(heard[size_t(i)].songEnd, r.end.toDouble(), kNear);
        }
        // Nothing at a joint is louder than the marked stretches on either side of it.
        for (size_t i = 0; i + 1 < heard.size(); ++i) {
            SCOPED_TRACE("joint " + std::to_string(i));
            const SongRow &before = c.rows[c.rows.size() - 1 - qsizetype(i)];
            const SongRow &after = c.rows[c.rows.size() - 2 - qsizetype(i)];
            const double own = std::max(
                peakBetween(decodedSong(before.name), before.start.toDouble(), before.end.toDouble()),
                peakBetween(decodedSong(after.name), after.start.toDouble(), after.end.toDouble()));
            const double joint = (heard[i].fileEnd + heard[i + 1].fileStart) / 2;
            EXPECT_LE(peakBetween(*audio, joint - 0.05, joint + 0.05), own);
        }
    }
}

TEST_F(MpegCutTest, MergeWritesOnlyRowsOfTheFirstSegmentsFormat)
{
    const QByteArray unknown = addSong(u"unknown.mp3"_s, 4); // bytes of no kind: 4 per ms
    for (const QString &fixture : {u"vbr-a.mp3"_s, u"s48.mp3"_s, u"s22.mp3"_s})
        addFixture(fixture);
    const struct {
        const char *what;
        QList<SongRow> rows; // top to bottom
        int failed;
        int firstSong; // kToneA or kToneB of what is heard
        double start, end;
    } cases[] = {
        {"48 kHz stereo first: 44.1 kHz and 22.05 kHz mono fail",
         {row(u"s22.mp3"_s, u"2"_s, u"5"_s), row(u"vbr-a.mp3"_s, u"20"_s, u"23"_s), row(u"s48.mp3"_s, u"1"_s, u"4"_s)},
         2, 0, 1, 4},
        {"22.05 kHz mono first: 48 kHz stereo fails",
         {row(u"s48.mp3"_s, u"1"_s, u"4"_s), row(u"s22.mp3"_s, u"2"_s, u"5.5"_s)},
         1, 1, 2, 5.5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const MergeOutcome outcome = mergeAll(m_folder, c.rows, m_dirs);
        ASSERT_EQ(outcome.kind, MergeOutcome::Kind::Written);
        EXPECT_EQ(outcome.merged, 1);
        EXPECT_EQ(outcome.failed, c.failed);

        QString error;
        const std::optional<DecodedAudio> audio = decodeWithFfmpeg(programPath(kMerged), &error);
        ASSERT_TRUE(audio) << error.toStdString();
        EXPECT_TRUE(audio->messages.isEmpty()) << audio->messages.toStdString();
        // Frames that hold the first one's bit reservoir lead in, silent.
        EXPECT_LT(audio->seconds(), c.end - c.start + 0.25) << "bytes of a failed row were written";
        const std::vector<HeardStretch> heard = heardStretches(*audio, {kToneA, kToneB});
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0].song, c.firstSong);
        EXPECT_NEAR(heard[0].songStart, c.start, kNear);
        EXPECT_NEAR(heard[0].songEnd, c.end, kNear);
    }

    // A file of no kind first: its bytes in proportion, and the MPEG song fails.
    const SongRow bytesRow{u"unknown.mp3"_s, u"1"_s, u"2"_s, u"1"_s, u"10"_s};
    const MergeOutcome outcome = mergeAll(m_folder, {row(u"vbr-a.mp3"_s, u"20"_s, u"23"_s), bytesRow}, m_dirs);
    ASSERT_EQ(outcome.kind, MergeOutcome::Kind::Written);
    EXPECT_EQ(outcome.merged, 1);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(readBytes(programPath(kMerged)), unknown.mid(3'999, 4'000));
}

TEST_F(MpegCutTest, FrameCrcIsTheOneAnEncoderWrites)
{
    // Every frame of the song with error protection carries the CRC that silenceFrame remakes.
    const QByteArray song = addFixture(u"cbr-crc.mp3"_s);
    const auto *bytes = reinterpret_cast<const unsigned char *>(song.constData());
    qint64 at = 417; // behind the Info frame, which has no CRC
    int frames = 0;
    while (at + 4 <= song.size()) {
        const std::optional<MpegHeader> h = parseMpegHeader(bytes + at);
        ASSERT_TRUE(h) << "at " << at;
        ASSERT_TRUE(h->hasCrc);
        ASSERT_EQ(frameCrc(bytes + at, *h), (bytes[at + 4] << 8) | bytes[at + 5]) << "frame " << frames;
        at += h->length;
        ++frames;
    }
    EXPECT_EQ(frames, 1150);
}
