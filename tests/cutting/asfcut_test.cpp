#include "cutting/asfpacket.h"
#include "cutting/byteorder.h"
#include "cutting/container.h"
#include "cutting/cutengine.h"

#include "decodedaudio.h"
#include "songfiles.h"

#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

// The stretch of the song a decoded file holds, in the song's seconds, from the tone's pitch
// steps: second k of the song sounds at 300 + 100k Hz.
struct SecondsHeld {
    double start = 0;
    double end = 0;
};

constexpr double kWindow = 0.03;

double secondOfPitch(double hz)
{
    return std::round((hz - 300.0) / 100.0);
}

// The time in [from, to) where the pitch changes most sharply; the range holds one step.
double stepBetween(const DecodedAudio &audio, double from, double to)
{
    double best = from, bestChange = -1;
    for (double t = from; t < to; t += 0.001) {
        const double change = std::abs(audio.pitchBetween(t, t + kWindow) - audio.pitchBetween(t - kWindow, t));
        if (change > bestChange) {
            best = t;
            bestChange = change;
        }
    }
    return best;
}

// Needs more than a second of audio: its first step lies less than a second from its start,
// its last step 0.1 s to 1.09 s from its end (a cut may end a little past a step).
SecondsHeld secondsHeld(const DecodedAudio &audio)
{
    const double length = audio.seconds();
    const double first = stepBetween(audio, kWindow + 0.02, qMin(1.0, length));
    const double last = stepBetween(audio, qMax(kWindow + 0.02, length - 1.09), length - 0.1);
    const double afterFirst = secondOfPitch(audio.pitchBetween(first + 0.01, first + 0.1));
    const double afterLast = secondOfPitch(audio.pitchBetween(last + 0.01, last + 0.1));
    return {afterFirst - first, afterLast + (length - last)};
}

// Where the tone ends at its full level, in the file's seconds: the end of the last 5 ms whose
// level is at least 90 % of the tone's (its level halfway through). A block of the codec that
// a decoder cannot complete fades out from its start, which a length alone does not show.
double audibleEnd(const DecodedAudio &audio)
{
    constexpr size_t kLevelWindow = DecodedAudio::kRate / 200;
    const auto level = [&](size_t from) {
        double sum = 0;
        for (size_t i = from; i < from + kLevelWindow; ++i)
            sum += double(audio.samples[i]) * audio.samples[i];
        return std::sqrt(sum / kLevelWindow);
    };
    if (audio.samples.size() < 2 * kLevelWindow)
        return 0;
    const double tone = level(audio.samples.size() / 2);
    for (size_t from = audio.samples.size() - kLevelWindow;; from -= kLevelWindow) {
        if (level(from) >= tone * 0.9 || from < kLevelWindow)
            return double(from + kLevelWindow) / DecodedAudio::kRate;
    }
}

// The file properties object's fields and the data object's size, as the output states them.
struct AsfFigures {
    quint64 fileSize = 0;
    quint64 packetCount = 0;
    double playSeconds = 0; // preroll excluded
    quint64 packetSize = 0;
    qint64 dataAt = 0;
    quint64 dataSize = 0;
    quint64 dataPackets = 0;
};

AsfFigures asfFigures(const QByteArray &file)
{
    const auto u64 = [&](qint64 at) { return qFromLittleEndian<quint64>(file.constData() + at); };
    const auto u32 = [&](qint64 at) { return qFromLittleEndian<quint32>(file.constData() + at); };
    const qint64 fp = file.indexOf(QByteArray::fromHex("A1DCAB8C47A9CF118EE400C00C205365"));
    AsfFigures f;
    if (fp < 0 || file.size() < 30)
        return f;
    f.fileSize = u64(fp + 40);
    f.packetCount = u64(fp + 56);
    f.playSeconds = double(u64(fp + 64)) / 1e7 - double(u64(fp + 80)) / 1e3;
    f.packetSize = u32(fp + 92);
    f.dataAt = qint64(u64(16));
    f.dataSize = u64(f.dataAt + 16);
    f.dataPackets = u64(f.dataAt + 40);
    return f;
}

// The length a player reads from the file's header without decoding it.
double reported(const QString &path)
{
    QProcess probe;
    probe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_entries"_s, u"format=duration"_s, u"-of"_s,
                               u"default=noprint_wrappers=1:nokey=1"_s, path});
    if (!probe.waitForFinished(30'000) || probe.exitCode() != 0)
        return -1;
    return probe.readAllStandardOutput().trimmed().toDouble();
}

// Where the last packet of a file ends, in seconds: its time stamp and duration.
double packetsEnd(const QString &path)
{
    QProcess probe;
    probe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-select_streams"_s, u"a"_s, u"-show_entries"_s,
                               u"packet=pts_time,duration_time"_s, u"-of"_s, u"csv=p=0"_s, path});
    if (!probe.waitForFinished(30'000) || probe.exitCode() != 0)
        return -1;
    const QList<QByteArray> last = probe.readAllStandardOutput().trimmed().split('\n').last().split(',');
    return last.size() == 2 ? last[0].toDouble() + last[1].toDouble() : -1;
}

class AsfCutTest : public SongFoldersTest {
protected:
    static void SetUpTestSuite()
    {
        s_fixtures = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_fixtures->isValid());
        QProcess script;
        script.start(u"sh"_s, {QStringLiteral(TUNORA_TEST_DATA_DIR "/make_fixtures.sh"), u"wma"_s, s_fixtures->path()});
        ASSERT_TRUE(script.waitForFinished(120'000));
        ASSERT_EQ(script.exitCode(), 0) << "make_fixtures.sh needs ffmpeg and python3 (scripts/install-deps.sh --test): "
                                        << script.readAllStandardError().toStdString();
    }
    static void TearDownTestSuite() { s_fixtures.reset(); }

    static std::unique_ptr<QTemporaryDir> s_fixtures;
};

std::unique_ptr<QTemporaryDir> AsfCutTest::s_fixtures;

} // namespace

TEST_F(AsfCutTest, CutStartsAndEndsWithinAFrameOfItsMarks)
{
    const char *fixtures[] = {
        "steps-12s.wma",       // whole objects, four to a packet
        "steps-12s-split.wma", // objects split across packets: the end packets hold parts of others
    };
    const struct {
        const char *start;
        const char *end;
    } marks[] = {
        {"5", "8"},
        {"0", "2.5"},     // the very start
        {"2.37", "4.61"}, // off the packets' grid
        {"1", "4"},
        {"1", "4.016"},   // just before the middle of an object (2048 samples at 44.1 kHz, the 87th)
        {"9.3", "12"},    // to the song's end
        {"10.6", "99"},   // an end past the song ends with it
    };
    for (const char *fixture : fixtures) {
        const QString name = QString::fromLatin1(fixture);
        writeBytes(songPath(name), readBytes(s_fixtures->filePath(name)));
        const std::optional<DecodedAudio> song = decodeWithFfmpeg(songPath(name));
        ASSERT_TRUE(song);
        // A decoder plays nothing of a song's first frame (46 ms), so no cut starts before the
        // song does; the last frame holds the tone's end and some silence after it.
        const SecondsHeld songHeld = secondsHeld(*song);
        ASSERT_NEAR(songHeld.start, 0.046, 0.02);
        ASSERT_NEAR(songHeld.end, 12.0, 0.1);
        const double songHeardTo = songHeld.end - (song->seconds() - audibleEnd(*song));

        for (const auto &mark : marks) {
            SCOPED_TRACE(std::string(fixture) + " from " + mark.start + " to " + mark.end);
            const SongRow row{name, QString::fromLatin1(mark.start), QString::fromLatin1(mark.end), u"1"_s, u"12.03"_s};
            ASSERT_EQ(cutOne(m_folder, row, m_dirs), CutOutcome::Written);
            const FilePath outputPath = m_dirs.programDir / ringtoneFileName(name);
            const QString output = outputPath.text();
            EXPECT_EQ(detectContainer(ReadFile(outputPath)), Container::Asf);

            QString error;
            const std::optional<DecodedAudio> audio = decodeWithFfmpeg(output, &error);
            ASSERT_TRUE(audio) << error.toStdString();
            EXPECT_TRUE(audio->messages.isEmpty()) << audio->messages.toStdString();
            const SecondsHeld held = secondsHeld(*audio);
            EXPECT_NEAR(held.start, qMax(row.start.toDouble(), songHeld.start), 0.05);
            // Heard to within one object (46 ms) of the end mark, or to where the song is.
            const double heardTo = held.end - (audio->seconds() - audibleEnd(*audio));
            EXPECT_NEAR(heardTo, qMin(row.end.toDouble(), songHeardTo), 0.046);

            // The header describes the file it heads.
            const QByteArray bytes = readBytes(output);
            const AsfFigures figures = asfFigures(bytes);
            ASSERT_GT(figures.packetSize, 0u);
            EXPECT_EQ(figures.fileSize, quint64(bytes.size()));
            EXPECT_EQ(figures.dataSize, quint64(bytes.size() - figures.dataAt));
            EXPECT_EQ((figures.dataSize - 50) % figures.packetSize, 0u);
            EXPECT_EQ(figures.packetCount, (figures.dataSize - 50) / figures.packetSize);
            EXPECT_EQ(figures.dataPackets, figures.packetCount);
            // What a player shows is what a decoder plays: the packets but the first object.
            EXPECT_NEAR(figures.playSeconds, audio->seconds(), audio->seconds() * 0.01);
            EXPECT_NEAR(reported(output), audio->seconds(), audio->seconds() * 0.01);
            EXPECT_LT(figures.playSeconds, packetsEnd(output));
        }
    }
}

namespace {

// A packet as Windows Media encoders write them: error correction data, a 2-byte padding
// length, several payloads with 8 bytes of replicated data and a 2-byte length each.
QByteArray packetOf(const QList<QByteArray> &payloads, qint64 size)
{
    QByteArray body;
    for (int i = 0; i < payloads.size(); ++i) {
        const QByteArray &data = payloads[i];
        body.append(char(0x81)).append(char(i + 1));
        appendLittleEndian(body, 0, 4); // offset in the object
        body.append(char(8));
        appendLittleEndian(body, quint64(data.size()), 4);
        appendLittleEndian(body, quint64(3150 + 50 * i), 4); // presentation time
        appendLittleEndian(body, quint64(data.size()), 2);
        body.append(data);
    }
    QByteArray packet = QByteArray::fromHex("820000115D");
    const qint64 padding = size - (packet.size() + 2 + 6 + 1 + body.size());
    appendLittleEndian(packet, quint64(padding), 2);
    appendLittleEndian(packet, 500, 4); // send time
    appendLittleEndian(packet, 46, 2);
    packet.append(char(0x80 | payloads.size()));
    return packet + body + QByteArray(padding, '\0');
}

} // namespace

TEST(AsfPacketTest, PacketWithSomePayloadsKeepsTheirBytesAndIsPaddedToItsSize)
{
    const QList<QByteArray> payloads = {patternBytes(10, 1), patternBytes(20, 2), patternBytes(30, 3)};
    // Payload header 17 bytes each; the packet's fixed fields 12 bytes besides the padding length.
    const qint64 keptBytes = 17 + 20;
    const struct {
        qint64 room; // what the payload kept leaves for the padding length and the padding
        int paddingType;
        qint64 padding;
    } cases[] = {
        {0, 0, 0},         // no padding, and no field for it
        {1, 1, 0},
        {256, 1, 255},     // the most a 1-byte field holds
        {257, 2, 255},     // one more: a 2-byte field, which takes a byte of the padding
        {65538, 3, 65534}, // past a 2-byte field
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("room " + std::to_string(c.room));
        const qint64 size = 12 + keptBytes + c.room;
        const QByteArray packet = packetOf(payloads, qMax<qint64>(size, 200));
        const std::optional<AsfPacket> layout = parseAsfPacket(packet.constData(), packet.size());
        ASSERT_TRUE(layout);
        ASSERT_EQ(layout->payloads.size(), 3);
        // Kept at the size the case needs: the source packet was larger.
        const std::optional<QByteArray> kept = asfPacketWith(packet.constData(), size, *layout, {layout->payloads[1]});
        ASSERT_TRUE(kept);
        ASSERT_EQ(kept->size(), size);
        EXPECT_EQ((quint8(kept->at(3)) >> 3) & 3, c.paddingType);
        const std::optional<AsfPacket> reread = parseAsfPacket(kept->constData(), kept->size());
        ASSERT_TRUE(reread);
        ASSERT_EQ(reread->payloads.size(), 1);
        const AsfPayload &p = reread->payloads[0];
        EXPECT_EQ(kept->mid(p.begin, p.end - p.begin), packet.mid(layout->payloads[1].begin, keptBytes));
        EXPECT_EQ(p.end + c.padding, size);
        EXPECT_EQ(kept->mid(reread->sendTimeAt, 6), packet.mid(layout->sendTimeAt, 6));
    }
}

TEST(AsfPacketTest, TimesMoveEarlierAndStopAtZero)
{
    QByteArray packet = packetOf({patternBytes(10, 1), patternBytes(20, 2)}, 200);
    const std::optional<AsfPacket> layout = parseAsfPacket(packet.constData(), packet.size());
    ASSERT_TRUE(layout);
    shiftAsfPacketTimes(packet.data(), *layout, 3170);
    const std::optional<AsfPacket> shifted = parseAsfPacket(packet.constData(), packet.size());
    ASSERT_TRUE(shifted);
    EXPECT_EQ(qFromLittleEndian<quint32>(packet.constData() + shifted->sendTimeAt), 0u); // 500 - 3170
    EXPECT_EQ(shifted->payloads[0].presentationMs, 0u); // 3150 - 3170
    EXPECT_EQ(shifted->payloads[1].presentationMs, 30u);
    EXPECT_EQ(packet.mid(shifted->payloads[1].end - 20, 20), patternBytes(20, 2));
}

TEST_F(AsfCutTest, AudioStreamNotNamedInTheHeaderIsFoundInThePackets)
{
    // The stream properties as an object no reader knows, as when they sit where the cut does
    // not look (the header extension). The cut copies the header as it is, so the output with
    // the object restored shows what was cut.
    const QByteArray streamProperties = QByteArray::fromHex("9107DCB7B7A9CF118EE600C00C205365");
    const QByteArray unknown = QByteArray::fromHex("0000DCB7B7A9CF118EE600C00C205365");
    QByteArray song = readBytes(s_fixtures->filePath(u"steps-12s-split.wma"_s));
    ASSERT_EQ(song.count(streamProperties), 1);
    song.replace(streamProperties, unknown);
    writeBytes(songPath(u"hidden.wma"_s), song);

    ASSERT_EQ(cutOne(m_folder, {u"hidden.wma"_s, u"5"_s, u"8"_s, u"3"_s, u"12.03"_s}, m_dirs), CutOutcome::Written);
    QByteArray ringtone = programFile(u"[铃声]hidden.wma"_s);
    ASSERT_EQ(ringtone.count(unknown), 1);
    ringtone.replace(unknown, streamProperties);
    writeBytes(m_root.filePath(u"restored.wma"_s), ringtone);
    const std::optional<DecodedAudio> audio = decodeWithFfmpeg(m_root.filePath(u"restored.wma"_s));
    ASSERT_TRUE(audio);
    EXPECT_TRUE(audio->messages.isEmpty()) << audio->messages.toStdString();
    const SecondsHeld held = secondsHeld(*audio);
    EXPECT_NEAR(held.start, 5.0, 0.05);
    EXPECT_NEAR(held.end, 8.0, 0.05);
}
