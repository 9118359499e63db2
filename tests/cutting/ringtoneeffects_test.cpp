#include "exactsamples.h"
#include "levelcurve.h"
#include "songfiles.h"

#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"
#include "cutting/layer3sideinfo.h"
#include "cutting/mpeggain.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr double kSourceDb = -12.0; // the fixtures' tone
constexpr double kStart = 2.0;
constexpr double kEnd = 8.0;

RingtoneEffects fades(double in, double out)
{
    RingtoneEffects effects;
    effects.fadeIn = in > 0;
    effects.fadeOut = out > 0;
    effects.fadeInSeconds = in;
    effects.fadeOutSeconds = out;
    return effects;
}

// mpg123 in test mode: decodes without output and says what it did not like.
QString mpg123Complaints(const QString &path)
{
    QProcess mpg123;
    mpg123.start(u"mpg123"_s, {u"-t"_s, u"-q"_s, path});
    if (!mpg123.waitForStarted(10'000))
        return u"mpg123 cannot run (scripts/install-deps.sh --test)"_s;
    mpg123.waitForFinished(60'000);
    const QString said = QString::fromLocal8Bit(mpg123.readAllStandardError()).trimmed();
    return mpg123.exitCode() != 0 ? u"exit %1: "_s.arg(mpg123.exitCode()) + said : said;
}

class RingtoneEffectsTest : public SongFoldersTest {
protected:
    static void SetUpTestSuite()
    {
        s_fixtures = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_fixtures->isValid());
        QProcess script;
        script.start(u"sh"_s, {QStringLiteral(TUNORA_TEST_DATA_DIR "/make_fixtures.sh"), u"levels"_s,
                               s_fixtures->path()});
        ASSERT_TRUE(script.waitForFinished(120'000));
        if (script.exitCode() != 0)
            s_missing = script.readAllStandardError().toStdString();
    }
    static void TearDownTestSuite() { s_fixtures.reset(); }

    void SetUp() override
    {
        SongFoldersTest::SetUp();
        if (!s_missing.empty())
            GTEST_SKIP() << "make_fixtures.sh levels needs ffmpeg and lame (scripts/install-deps.sh --test): "
                         << s_missing;
    }

    static SongRow rowOf(const QString &fixture)
    {
        return {fixture, u"2"_s, u"8"_s, u"6"_s, u"10"_s};
    }

    // Cuts the fixture 2 s to 8 s with `effects`; the output's bytes.
    QByteArray cut(const QString &fixture, const RingtoneEffects &effects, EffectsApplied *applied = nullptr)
    {
        if (!QFile::exists(songPath(fixture)))
            writeBytes(songPath(fixture), readBytes(s_fixtures->filePath(fixture)));
        const ShapedCut result = cutOneShaped(m_folder, rowOf(fixture), m_dirs, effects);
        EXPECT_EQ(result.outcome, CutOutcome::Written) << fixture.toStdString();
        if (applied)
            *applied = result.effects;
        return programFile(ringtoneFileName(fixture));
    }

    QString outputPath(const QString &fixture) const
    {
        return m_dirs.programDir.text() + u'/' + ringtoneFileName(fixture);
    }

    static inline std::unique_ptr<QTemporaryDir> s_fixtures;
    static inline std::string s_missing;
};

const QString kAllFixtures[] = {u"cbr.mp3"_s,  u"vbr.mp3"_s,     u"joint.mp3"_s, u"crc.mp3"_s, u"mono22.mp3"_s,
                                u"tone.wav"_s, u"tone.flac"_s,   u"tone24.flac"_s, u"tone.ogg"_s, u"tone.m4a"_s};

// An Ogg cut draws a new stream serial number each time, so two cuts of it never match byte
// for byte: there the decoded sound must match, sample for sample.
void expectSameCut(const QByteArray &output, const QByteArray &plain, const QString &fixture, const QString &path)
{
    if (!fixture.endsWith(u".ogg"_s)) {
        EXPECT_EQ(output, plain);
        return;
    }
    EXPECT_EQ(output.size(), plain.size());
    QTemporaryDir dir;
    writeBytes(dir.filePath(u"plain.ogg"_s), plain);
    const std::optional<LevelCurve> heard = decodeLevels(path);
    const std::optional<LevelCurve> heardPlain = decodeLevels(dir.filePath(u"plain.ogg"_s));
    ASSERT_TRUE(heard && heardPlain);
    EXPECT_EQ(heard->db, heardPlain->db);
}

TEST_F(RingtoneEffectsTest, WithEveryEffectOffACutIsByteForByteThePlainCut)
{
    RingtoneEffects off = fades(3, 4);
    off.fadeIn = off.fadeOut = false;
    for (const QString &fixture : kAllFixtures) {
        SCOPED_TRACE(fixture.toStdString());
        const QByteArray plain = cut(fixture, {});
        ASSERT_FALSE(plain.isEmpty());
        EffectsApplied applied = EffectsApplied::Applied;
        expectSameCut(cut(fixture, off, &applied), plain, fixture, outputPath(fixture));
        EXPECT_EQ(applied, EffectsApplied::None);
    }
}

TEST_F(RingtoneEffectsTest, FormatsThatCannotTakeAFadeAreWrittenUnchangedAndSaySo)
{
    RingtoneEffects all = fades(1, 2);
    all.evenLoudness = true;
    for (const QString &fixture : {u"tone.ogg"_s, u"tone.m4a"_s}) {
        SCOPED_TRACE(fixture.toStdString());
        const QByteArray plain = cut(fixture, {});
        EffectsApplied applied = EffectsApplied::None;
        expectSameCut(cut(fixture, all, &applied), plain, fixture, outputPath(fixture));
        EXPECT_EQ(applied, EffectsApplied::NotForThisFile);
    }
}

// The level climbs from far below the song's to the song's own over the fade-in and falls
// the same way over the fade-out, never by more than one gain step between two windows, and
// the stretch between stays as loud as the song.
TEST_F(RingtoneEffectsTest, FadesRiseAndFallInSmallStepsOverTheirLengths)
{
    constexpr double kIn = 1.0;
    constexpr double kOut = 2.0;
    constexpr double kStep = 1.6; // dB: one gain step and a little
    constexpr double kNear = 0.5; // dB from the song's own level counts as reached
    for (const QString &fixture :
         {u"cbr.mp3"_s, u"vbr.mp3"_s, u"joint.mp3"_s, u"crc.mp3"_s, u"mono22.mp3"_s, u"tone.wav"_s, u"tone.flac"_s,
          u"tone24.flac"_s}) {
        SCOPED_TRACE(fixture.toStdString());
        EffectsApplied applied = EffectsApplied::None;
        const QByteArray output = cut(fixture, fades(kIn, kOut), &applied);
        EXPECT_EQ(applied, EffectsApplied::Applied);
        const std::optional<LevelCurve> curve = decodeLevels(outputPath(fixture));
        ASSERT_TRUE(curve);
        EXPECT_EQ(curve->messages, QString());
        const double length = curve->seconds();
        EXPECT_NEAR(length, kEnd - kStart, 0.1);

        const double steady = curve->steadyBetween(kIn + 0.5, length - kOut - 0.5);
        EXPECT_NEAR(steady, kSourceDb, 1.0);
        // The decoder's delay and a silent frame that may carry the reservoir come first: the
        // first window with sound in it must be far below the song.
        const auto firstSound = std::find_if(curve->db.begin(), curve->db.end(), [](double db) { return db > -70; });
        ASSERT_LT(firstSound + 1, curve->db.end());
        EXPECT_LT(*(firstSound + 1), -35.0);
        EXPECT_LT(curve->at(length - 0.02), -35.0);

        // From the ringtone's start to where the fade-in comes within kNear of the song, and from
        // where the fade-out leaves it to the ringtone's end, as a player plays it.
        size_t reached = 0;
        while (reached < curve->db.size() && curve->db[reached] < steady - kNear)
            ++reached;
        size_t left = curve->db.size();
        while (left > 0 && curve->db[left - 1] < steady - kNear)
            --left;
        EXPECT_NEAR(double(reached) * LevelCurve::kWindowSeconds, kIn, 0.05);
        EXPECT_NEAR(double(curve->db.size() - left) * LevelCurve::kWindowSeconds, kOut, 0.05);

        for (size_t i = 1; i < curve->db.size(); ++i) {
            SCOPED_TRACE(i);
            // A window that holds the start or the end of the sound is no step of a fade.
            if (std::min(curve->db[i], curve->db[i - 1]) < kSourceDb - 36)
                continue;
            if (i <= reached) {
                EXPECT_LE(curve->db[i] - curve->db[i - 1], kStep);
            }
            if (i >= left) {
                EXPECT_LE(curve->db[i - 1] - curve->db[i], kStep);
            }
            EXPECT_LT(curve->db[i], steady + kNear);
        }
        if (fixture.endsWith(u".mp3"_s)) {
            EXPECT_EQ(mpg123Complaints(outputPath(fixture)), QString());
        }
    }
}

// A FLAC cut is encoded again, losslessly: it keeps the source's rate, channels and bits per
// sample, and every sample outside the fades is the plain cut's own.
TEST_F(RingtoneEffectsTest, AFlacFadeKeepsEverySampleOutsideTheFades)
{
    constexpr double kIn = 1.0;
    constexpr double kOut = 2.0;
    for (const QString &fixture : {u"tone.flac"_s, u"tone24.flac"_s}) {
        SCOPED_TRACE(fixture.toStdString());
        cut(fixture, {});
        const QString plainPath = m_dirs.programDir.text() + u"/plain-"_s + fixture;
        ASSERT_TRUE(QFile::rename(outputPath(fixture), plainPath));
        EffectsApplied applied = EffectsApplied::None;
        cut(fixture, fades(kIn, kOut), &applied);
        EXPECT_EQ(applied, EffectsApplied::Applied);

        const QString format = streamFormat(outputPath(fixture));
        EXPECT_FALSE(format.isEmpty());
        EXPECT_EQ(format, streamFormat(plainPath));
        const std::optional<ExactSamples> faded = decodeExactly(outputPath(fixture));
        const std::optional<ExactSamples> plain = decodeExactly(plainPath);
        ASSERT_TRUE(faded && plain);
        EXPECT_EQ(faded->messages, QString());
        ASSERT_EQ(faded->samples.size(), plain->samples.size());
        const qsizetype frames = qsizetype(plain->samples.size()) / plain->channels;
        ASSERT_GT(frames, plain->rate * (kIn + kOut + 1));

        // Each frame is judged at its middle: the first past the fade-in and the last before the
        // fade-out are whole frames in, and everything between them must be untouched.
        const qsizetype from = qsizetype(kIn * plain->rate) * plain->channels;
        const qsizetype to = (frames - qsizetype(kOut * plain->rate)) * plain->channels;
        qsizetype differing = 0;
        for (qsizetype i = from; i < to; ++i)
            differing += faded->samples[size_t(i)] != plain->samples[size_t(i)];
        EXPECT_EQ(differing, 0);
        // The fades themselves did change the samples, most near the ends.
        EXPECT_LT(std::abs(double(faded->peakBetween(0, plain->rate / 100))),
                  std::abs(double(plain->peakBetween(0, plain->rate / 100))) / 50);
        EXPECT_LT(std::abs(double(faded->peakBetween(frames - plain->rate / 100, frames))),
                  std::abs(double(plain->peakBetween(frames - plain->rate / 100, frames))) / 50);
    }
}

TEST_F(RingtoneEffectsTest, FramesWithACrcCarryTheirNewCrc)
{
    const QByteArray output = cut(u"crc.mp3"_s, fades(1, 2));
    const std::vector<MpegFrameAt> frames = layer3Frames(output);
    ASSERT_GT(frames.size(), 200u);
    for (const MpegFrameAt &frame : frames) {
        SCOPED_TRACE(frame.offset);
        ASSERT_TRUE(frame.header.hasCrc);
        const auto *p = reinterpret_cast<const unsigned char *>(output.constData()) + frame.offset;
        EXPECT_EQ(frameCrc(p, frame.header), quint16((p[4] << 8) | p[5]));
    }
}

// Only the gains change: every frame stays where it was, of the same length, with the same
// audio data, and granules that were silent stay silent.
TEST_F(RingtoneEffectsTest, AnMpegFadeChangesNothingButGains)
{
    for (const QString &fixture : {u"cbr.mp3"_s, u"vbr.mp3"_s, u"mono22.mp3"_s}) {
        SCOPED_TRACE(fixture.toStdString());
        const QByteArray plain = cut(fixture, {});
        const QByteArray faded = cut(fixture, fades(1, 2));
        ASSERT_EQ(faded.size(), plain.size());
        const std::vector<MpegFrameAt> before = layer3Frames(plain);
        const std::vector<MpegFrameAt> after = layer3Frames(faded);
        ASSERT_EQ(after.size(), before.size());
        qint64 differing = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            ASSERT_EQ(after[i].offset, before[i].offset);
            const qint64 audio = before[i].offset + before[i].header.payloadOffset();
            const qint64 end = before[i].offset + before[i].header.length;
            EXPECT_EQ(faded.mid(audio, end - audio), plain.mid(audio, end - audio));
            differing += faded.mid(before[i].offset, end - before[i].offset)
                != plain.mid(before[i].offset, end - before[i].offset);
        }
        // Bytes outside the frames (a cut frame at either end, an info frame) are untouched.
        QByteArray outside = faded;
        QByteArray outsidePlain = plain;
        for (const MpegFrameAt &frame : before) {
            outside.replace(frame.offset, frame.header.length, QByteArray(frame.header.length, 0));
            outsidePlain.replace(frame.offset, frame.header.length, QByteArray(frame.header.length, 0));
        }
        EXPECT_EQ(outside, outsidePlain);
        EXPECT_GT(differing, 0);
    }
}

// The decoded peak lands between -2.5 and -1 dBFS, the tone 10 dB louder than its song (a
// quarter of full scale in the song), and the fades still run from far below it.
TEST_F(RingtoneEffectsTest, EvenLoudnessPutsThePeakJustBelowFullScaleWithTheFadesKept)
{
    RingtoneEffects effects = fades(1, 2);
    effects.evenLoudness = true;
    for (const QString &fixture : {u"cbr.mp3"_s, u"vbr.mp3"_s, u"joint.mp3"_s, u"crc.mp3"_s, u"mono22.mp3"_s,
                                   u"quiet.mp3"_s, u"tone.wav"_s, u"tone.flac"_s, u"tone24.flac"_s}) {
        SCOPED_TRACE(fixture.toStdString());
        EffectsApplied applied = EffectsApplied::None;
        cut(fixture, effects, &applied);
        EXPECT_EQ(applied, EffectsApplied::Applied);
        const std::optional<LevelCurve> curve = decodeLevels(outputPath(fixture));
        ASSERT_TRUE(curve);
        EXPECT_EQ(curve->messages, QString());
        EXPECT_GE(curve->peakDb, -2.5);
        EXPECT_LE(curve->peakDb, -1.0);
        EXPECT_LT(curve->at(0.05), curve->peakDb - 25.0);
        EXPECT_NEAR(curve->steadyBetween(1.5, 3.5), curve->peakDb, 1.0);
        if (fixture.endsWith(u".mp3"_s)) {
            EXPECT_EQ(mpg123Complaints(outputPath(fixture)), QString());
        }
    }
}

// Three songs of one format merged with effects on: each segment fades out and the next in at
// every joint, so no sample there is louder than the songs' own, and the merge's ends take the
// chosen fades.
TEST_F(RingtoneEffectsTest, AMergeFadesAtEveryJointAndAtItsEnds)
{
    const QString songs[] = {u"cbr.mp3"_s, u"vbr.mp3"_s, u"crc.mp3"_s};
    QList<SongRow> rows;
    double ownPeak = -200;
    for (const QString &song : songs) {
        cut(song, {});
        const std::optional<LevelCurve> own = decodeLevels(outputPath(song));
        ASSERT_TRUE(own);
        ownPeak = std::max(ownPeak, own->peakDb);
        rows.prepend({song, u"3"_s, u"5"_s, u"2"_s, u"10"_s});
    }
    const MergeOutcome outcome = mergeAll(m_folder, rows, m_dirs, fades(0.5, 0.5));
    ASSERT_EQ(outcome.kind, MergeOutcome::Kind::Written);
    ASSERT_EQ(outcome.merged, 3);
    const QString merged = m_dirs.programDir.text() + u'/' + kMergeOutputName;
    const std::optional<LevelCurve> curve = decodeLevels(merged);
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->messages, QString());
    EXPECT_EQ(mpg123Complaints(merged), QString());
    EXPECT_NEAR(curve->seconds(), 6.0, 0.15);
    EXPECT_LT(curve->at(0.03), -35.0);
    EXPECT_LT(curve->at(curve->seconds() - 0.03), -35.0);

    // The joints: the middles of the stretches far below the songs' level away from the ends.
    std::vector<size_t> joints;
    for (size_t i = 1, from = 0; i < curve->db.size(); ++i) {
        const double t = double(i) * LevelCurve::kWindowSeconds;
        const bool low = curve->db[i] < kSourceDb - 20;
        const bool wasLow = curve->db[i - 1] < kSourceDb - 20;
        if (low && !wasLow)
            from = i;
        if (!low && wasLow && t > 0.7 && t < curve->seconds() - 0.7)
            joints.push_back((from + i) / 2);
    }
    ASSERT_EQ(joints.size(), 2u);
    EXPECT_NEAR(double(joints[0]) * LevelCurve::kWindowSeconds, 2.0, 0.1);
    EXPECT_NEAR(double(joints[1]) * LevelCurve::kWindowSeconds, 4.0, 0.1);
    // No sample within 50 ms of a joint is louder than the songs' own peak.
    for (const size_t joint : joints) {
        for (size_t i = joint - 5; i < joint + 5; ++i) {
            SCOPED_TRACE(::testing::Message() << "window " << i << ", joint " << joint);
            EXPECT_LE(curve->peakDbs[i], ownPeak);
        }
    }
    EXPECT_NEAR(curve->steadyBetween(1.0, 1.8), kSourceDb, 1.0);
    EXPECT_NEAR(curve->steadyBetween(2.3, 3.7), kSourceDb, 1.0);
}

// A loud and a quiet song merged with 响度统一: each segment is brought to the same peak.
TEST_F(RingtoneEffectsTest, EvenLoudnessBringsEverySegmentOfAMergeToOnePeak)
{
    QList<SongRow> rows;
    for (const QString &song : {u"cbr.mp3"_s, u"quiet.mp3"_s, u"crc.mp3"_s}) {
        cut(song, {}); // puts the song in the folder
        rows.prepend({song, u"3"_s, u"5"_s, u"2"_s, u"10"_s});
    }
    RingtoneEffects effects;
    effects.evenLoudness = true;
    ASSERT_EQ(mergeAll(m_folder, rows, m_dirs, effects).kind, MergeOutcome::Kind::Written);
    const QString merged = m_dirs.programDir.text() + u'/' + kMergeOutputName;
    const std::optional<LevelCurve> curve = decodeLevels(merged);
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->messages, QString());
    EXPECT_LE(curve->peakDb, -1.0);
    EXPECT_GE(curve->peakDb, -2.5);
    for (const double middle : {1.0, 3.0, 5.0}) {
        SCOPED_TRACE(middle);
        EXPECT_NEAR(curve->steadyBetween(middle - 0.6, middle + 0.6), curve->peakDb, 1.6);
    }
}

} // namespace
