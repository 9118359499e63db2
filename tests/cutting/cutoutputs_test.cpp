// The bytes every kind of song is cut and merged to, pinned: how the engines find a song's
// frames may change for speed, what they write may not. The songs are made at test time; the
// pins hold for the encoders that made them, so a song whose own bytes differ from the one the
// pins were taken from is reported and not judged.
#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"

#include "songfiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

QByteArray md5Of(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

// An Ogg muxer numbers its stream at random: the pages with their serial number and checksum
// zeroed, which is all that differs from one cut to the next.
QByteArray withoutOggSerials(QByteArray file)
{
    for (qsizetype page = 0; page + 27 <= file.size() && file.mid(page, 4) == "OggS";) {
        const int segments = quint8(file[page + 26]);
        if (page + 27 + segments > file.size())
            break;
        qsizetype body = 0;
        for (int i = 0; i < segments; ++i)
            body += quint8(file[page + 27 + i]);
        file.replace(page + 14, 4, QByteArray(4, '\0'));
        file.replace(page + 22, 4, QByteArray(4, '\0'));
        page += 27 + segments + body;
    }
    return file;
}

// The songs' own MD5 sums when the pins were taken.
const std::map<QString, QByteArray> kSongSums = {
    {u"cbr-a.mp3"_s, "39d8d592f72e5ea6ff6bb84dd87c1982"},
    {u"cbr-crc.mp3"_s, "3b880f1eb2f76bad3a7a42c9679d68b4"},
    {u"cbr-then-192k.mp3"_s, "7074649d4088c09a806052ddc30eccb9"},
    {u"s22.mp3"_s, "05c0fcc827c323d83d78c07150085d53"},
    {u"s48.mp3"_s, "ed2bf78e8aeef789af8afd20f2d4c2bf"},
    {u"steps-adpcm.wav"_s, "83967c22c2b3b15b6deb036c909bf250"},
    {u"steps-id3.flac"_s, "d3ea894b2ad2f47c2d6fbbb9eb98d816"},
    {u"steps.flac"_s, "d7ad78e5f0f3d98c5c2c97a382289e74"},
    {u"steps.m4a"_s, "00a35aa5e689057a3a863a64f101a628"},
    {u"steps.ogg"_s, "498a552e8ce21bf409471a3126630180"},
    {u"steps.wav"_s, "3cafa3ea45eafa33187efbfec08a33c6"},
    {u"steps.wma"_s, "f69f94b557297a39cbf4a55457e5957a"},
    {u"two-streams.mp3"_s, "020864b680f18efb1b3ab4917bc8033e"},
    {u"vbr-a.mp3"_s, "8368949d846b89ecec0996e04d88388a"},
    {u"vbr-b.mp3"_s, "bda24c2b87179b0362fe2de23231fbe6"},
    {u"vbr-bare.mp3"_s, "3d8abf17777332a88685fcef7a4cc548"},
};

class CutOutputsTest : public SongFoldersTest {
protected:
    static void SetUpTestSuite()
    {
        s_fixtures = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(s_fixtures->isValid());
        for (const char *set : {"mpeg", "containers"}) {
            QProcess script;
            script.start(u"sh"_s, {QStringLiteral(TUNORA_TEST_DATA_DIR "/make_fixtures.sh"), QString::fromLatin1(set),
                                   s_fixtures->path()});
            ASSERT_TRUE(script.waitForFinished(180'000));
            ASSERT_EQ(script.exitCode(), 0) << "make_fixtures.sh needs sox, lame and ffmpeg (scripts/install-deps.sh "
                                               "--test): "
                                            << script.readAllStandardError().toStdString();
        }
    }
    static void TearDownTestSuite() { s_fixtures.reset(); }

    // Puts the song in the song folder; false (and a note) when it is not the song the pins
    // were taken from.
    bool addPinnedSong(const QString &name)
    {
        const QByteArray bytes = readBytes(s_fixtures->filePath(name));
        writeBytes(songPath(name), bytes);
        const auto pinned = kSongSums.find(name);
        if (pinned != kSongSums.end() && pinned->second == md5Of(bytes))
            return true;
        std::printf("song %s %s\n", qPrintable(name), md5Of(bytes).constData());
        return false;
    }

    static std::unique_ptr<QTemporaryDir> s_fixtures;
};

std::unique_ptr<QTemporaryDir> CutOutputsTest::s_fixtures;

SongRow rowOf(const char *song, const char *start, const char *end)
{
    // The song length matters to a proportional slice only; the MPEG songs last 30.04 s as a
    // player shows them (the 10 s ones 10.03 s), the others are cut by time.
    const QString name = QString::fromLatin1(song);
    const QString length = name.startsWith(u"s22"_s) || name.startsWith(u"s48"_s) ? u"10.03"_s : u"30.04"_s;
    return {name, QString::fromLatin1(start), QString::fromLatin1(end),
            QString::number(QByteArray(end).toDouble() - QByteArray(start).toDouble()), length};
}

} // namespace

TEST_F(CutOutputsTest, CutsAreTheBytesTheyWere)
{
    const struct {
        const char *song;
        const char *start;
        const char *end;
        const char *md5;
    } cases[] = {
        {"vbr-a.mp3", "5", "10", "06c6b4407398a9c7e4c94f47c49aabd8"},
        {"vbr-a.mp3", "0", "2.5", "2340bdc704b7e3c450229cff4771c5a2"},
        {"vbr-a.mp3", "8.3", "13.6", "01e47f8277787bdecaa00eec57ba7682"},
        {"vbr-a.mp3", "27.45", "40", "022989a23f33ec648de86ed4e1516377"},
        {"vbr-b.mp3", "5", "10", "d9d1ee120b5c62575de86122040054b5"},
        {"vbr-b.mp3", "0", "2.5", "f98a53fe8de153b1d132a6380dc4bc36"},
        {"vbr-b.mp3", "8.3", "13.6", "c8b858f4dc5db1f2b5e77be5f52425ec"},
        {"vbr-b.mp3", "27.45", "40", "54b13f279ebe56249c1577eba2f756a8"},
        {"vbr-bare.mp3", "5", "10", "567bb525eee64598d38a397ebf8082dc"},
        {"vbr-bare.mp3", "0", "2.5", "0514b824690ddd7b246216dba8b89e1a"},
        {"vbr-bare.mp3", "8.3", "13.6", "8ec418313ca40da1f85e5cc375d3024e"},
        {"vbr-bare.mp3", "27.45", "40", "c7c9c2ab8b398fb21766e927543bfbc7"},
        {"cbr-a.mp3", "5", "10", "08dad74712e839606f2900c3a52c9477"},
        {"cbr-a.mp3", "0", "2.5", "11003ae98183cf87159867a631aad9a6"},
        {"cbr-a.mp3", "8.3", "13.6", "ad5dc49e2988745d2731d3df01ad13a6"},
        {"cbr-a.mp3", "27.45", "40", "926126970d609c0284fe01de271addfa"},
        {"cbr-crc.mp3", "5", "10", "ff49b830fcc2b5a8965e10cadb046f36"},
        {"cbr-crc.mp3", "0", "2.5", "480c3c10aabf3ed7bdc33d6d89c7d381"},
        {"cbr-crc.mp3", "8.3", "13.6", "61f0a6a35df9057627b8765654d6ab23"},
        {"cbr-crc.mp3", "27.45", "40", "8fcb6307ee8f5e063dde791d8b4c8f33"},
        {"cbr-then-192k.mp3", "5", "10", "4c09377ed4ec8c7e028a5209d46bf099"},
        {"cbr-then-192k.mp3", "0", "2.5", "b040379df425ae863021705a000c6676"},
        {"cbr-then-192k.mp3", "8.3", "13.6", "991366ab2e1fc4b062ba5c7d51b07793"},
        {"cbr-then-192k.mp3", "27.45", "40", "d8af51638d807b6450faf8f50e0c6b94"},
        {"two-streams.mp3", "5", "10", "8f56fa696f708e37f8b22dd131e25f4b"},
        {"two-streams.mp3", "0", "2.5", "f348ff830c997be439a4534a0b248d93"},
        {"two-streams.mp3", "8.3", "13.6", "ce7e79da80496394673fc2d1c699ca5e"},
        {"two-streams.mp3", "27.45", "40", "da864d834f64e59d0022a5ecc7ef1eb5"},
        {"s48.mp3", "1", "4", "35f422b103109587f18ea431eb147910"},
        {"s22.mp3", "1", "4", "27aafbccbd833456d2da055220f4685a"},
        {"steps.wav", "2", "4.5", "775bfd28bf7b7d24d64c8d95ee396c70"},
        {"steps.wav", "0", "1.5", "71ff2259841efb4cf4437b7166a33402"},
        {"steps-adpcm.wav", "2", "4.5", "f52e21a7f23e5e9a2d33af5692bfef40"},
        {"steps-adpcm.wav", "0", "1.5", "460af489557b4378d7a02fe81964103e"},
        {"steps.flac", "2", "4.5", "3c88f651a4d85374cfb2bf23a1aee679"},
        {"steps.flac", "0", "1.5", "72de07969eb192221d1e27ab1b29a26c"},
        {"steps-id3.flac", "2", "4.5", "3c88f651a4d85374cfb2bf23a1aee679"},
        {"steps-id3.flac", "0", "1.5", "72de07969eb192221d1e27ab1b29a26c"},
        {"steps.ogg", "2", "4.5", "a8484c22a68518a25393bd9f598e6323"},
        {"steps.ogg", "0", "1.5", "292430eeb97b37e75edc8f27a3009579"},
        {"steps.m4a", "2", "4.5", "85e991360777a208ef2f3cb811cbf0d3"},
        {"steps.m4a", "0", "1.5", "96c518e9a335fdc24215329dce2ae9db"},
        {"steps.wma", "2", "4.5", "488911f049f34adae10c9c03461cc0c8"},
        {"steps.wma", "0", "1.5", "23d8302105e539b04719eca4b4cf5b17"},
    };
    int judged = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.song) + " from " + c.start + " to " + c.end);
        const QString name = QString::fromLatin1(c.song);
        const bool pinned = addPinnedSong(name);
        QFile::remove((m_dirs.programDir / ringtoneFileName(name)).text());
        ASSERT_EQ(cutOne(m_folder, rowOf(c.song, c.start, c.end), m_dirs), CutOutcome::Written);
        const QByteArray sum = md5Of(withoutOggSerials(programFile(ringtoneFileName(name))));
        if (!pinned)
            continue;
        ++judged;
        EXPECT_EQ(sum, QByteArray(c.md5)) << "cut " << c.song << " " << c.start << " " << c.end << " " << sum.constData();
    }
    if (judged == 0)
        GTEST_SKIP() << "the encoders here make other songs than those the pins were taken from";
}

TEST_F(CutOutputsTest, MergesAreTheBytesTheyWere)
{
    const struct {
        const char *what;
        QList<SongRow> rows; // top to bottom
        const char *md5;
    } cases[] = {
        {"VBR songs",
         {rowOf("vbr-b.mp3", "22", "25.5"), rowOf("vbr-a.mp3", "5.2", "8.7"), rowOf("vbr-a.mp3", "14", "17")},
         "544853133718d1186b98f226a151ece5"},
        {"a CBR song, then a VBR one", {rowOf("vbr-b.mp3", "11", "14"), rowOf("cbr-a.mp3", "3", "6")}, "bbd35ee18556207b6cc9c340bf9a3e8e"},
        {"CBR songs", {rowOf("cbr-crc.mp3", "20", "23.5"), rowOf("cbr-a.mp3", "3", "6")}, "68630dd0a8dbc51442a09b01f82a9ede"},
        {"kinds that show late",
         {rowOf("vbr-bare.mp3", "10", "12"), rowOf("cbr-then-192k.mp3", "3", "6"), rowOf("vbr-a.mp3", "1", "2")},
         "98f8b685b131487db4d81ba0418eaa41"},
        {"two streams first", {rowOf("cbr-a.mp3", "3", "6"), rowOf("two-streams.mp3", "2", "4")}, "ffabacf7e0b0524035f6aea7a8f150b2"},
        {"formats that differ",
         {rowOf("s22.mp3", "2", "5"), rowOf("vbr-a.mp3", "20", "23"), rowOf("s48.mp3", "1", "4")},
         "35f422b103109587f18ea431eb147910"},
    };
    int judged = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        bool pinned = true;
        for (const SongRow &row : c.rows)
            pinned = addPinnedSong(row.name) && pinned;
        QFile::remove((m_dirs.programDir / kMergeOutputName).text());
        ASSERT_EQ(mergeAll(m_folder, c.rows, m_dirs).kind, MergeOutcome::Kind::Written);
        const QByteArray sum = md5Of(programFile(kMergeOutputName));
        if (!pinned)
            continue;
        ++judged;
        EXPECT_EQ(sum, QByteArray(c.md5)) << "merge " << c.what << " " << sum.constData();
    }
    if (judged == 0)
        GTEST_SKIP() << "the encoders here make other songs than those the pins were taken from";
}
