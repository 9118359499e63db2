#include "cutting/cutengine.h"
#include "app/cuttingmessages.h"

#include "platform/files/filenames.h"
#include "songfiles.h"
#include "support/filesizelimit.h"

#include <QDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace tunora;
using namespace tunora::testing;
using tunora::test::FileSizeLimit;
using namespace Qt::StringLiterals;

namespace {

class CutEngineTest : public SongFoldersTest {
protected:
    static SongRow row(const QString &name, const QString &start, const QString &end,
                       const QString &cutLength = u"1"_s, const QString &songLength = u"10"_s)
    {
        return {name, start, end, cutLength, songLength};
    }
};

} // namespace

TEST_F(CutEngineTest, CutOneWritesTheSliceAndMovesItToTheProgramDirectory)
{
    const QByteArray song = addSong(u"a.mp3"_s, 1);
    EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), m_dirs), CutOutcome::Written);
    EXPECT_EQ(programFile(u"[铃声]a.mp3"_s), song.mid(5'999, 18'000));
    EXPECT_TRUE(entriesOf(m_dirs.workDir).isEmpty());

    // A second cut replaces the first.
    EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"0"_s, u"2"_s), m_dirs), CutOutcome::Written);
    EXPECT_EQ(programFile(u"[铃声]a.mp3"_s), song.left(8'000));

    const std::optional<Notice> notice = cutOneNotice(CutOutcome::Written);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, u"剪切成功！"_s);
    EXPECT_EQ(notice->style, MessageStyle::Information);
    EXPECT_EQ(notice->title, u"提示"_s);
}

TEST_F(CutEngineTest, CutOneWithAnEmptySegmentDoesNothing)
{
    addSong(u"a.mp3"_s, 1);
    const struct {
        const char *what;
        SongRow row;
    } cases[] = {
        {"no marks", row(u"a.mp3"_s, {}, {}, {})},
        {"missing source", row(u"gone.mp3"_s, u"1"_s, u"2"_s)},
        {"song length empty", row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s, {})},
        {"song length 0", row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s, u"0"_s)},
        {"end before start", row(u"a.mp3"_s, u"6"_s, u"2"_s)},
        {"start past the end", row(u"a.mp3"_s, u"11"_s, u"12"_s)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cutOne(m_folder, c.row, m_dirs), CutOutcome::Nothing);
        EXPECT_TRUE(entriesOf(m_dirs.workDir).isEmpty());
        EXPECT_TRUE(entriesOf(m_dirs.programDir).isEmpty());
    }
    EXPECT_FALSE(cutOneNotice(CutOutcome::Nothing));
}

TEST_F(CutEngineTest, FailedCutKeepsTheOlderOutputAndLeavesNoTemporaryFile)
{
    addSong(u"a.mp3"_s, 1);
    writeBytes(m_dirs.workDir + u"/[铃声]a.mp3"_s, "older in work");
    writeBytes(m_dirs.programDir + u"/[铃声]a.mp3"_s, "older in program");
    {
        // The write stops part way, after 4096 of the segment's 18000 bytes.
        FileSizeLimit limit(4096);
        EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), m_dirs), CutOutcome::WriteFailed);
    }
    EXPECT_EQ(readBytes(m_dirs.workDir + u"/[铃声]a.mp3"_s), "older in work");
    EXPECT_EQ(programFile(u"[铃声]a.mp3"_s), "older in program");
    EXPECT_EQ(entriesOf(m_dirs.workDir), QStringList{u"[铃声]a.mp3"_s});

    const std::optional<Notice> notice = cutOneNotice(CutOutcome::WriteFailed);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, u"剪切失败！"_s);
    EXPECT_EQ(notice->style, MessageStyle::Exclamation);
    EXPECT_EQ(notice->title, u"提示"_s);
}

TEST_F(CutEngineTest, OutputThatCannotTakeItsNameFails)
{
    addSong(u"a.mp3"_s, 1);
    ASSERT_TRUE(QDir(m_dirs.workDir).mkdir(u"[铃声]a.mp3"_s));
    EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), m_dirs), CutOutcome::WriteFailed);
    EXPECT_EQ(entriesOf(m_dirs.workDir), QStringList{u"[铃声]a.mp3"_s});
    EXPECT_TRUE(entriesOf(m_dirs.programDir).isEmpty());
}

TEST_F(CutEngineTest, FailedMoveLeavesTheCutInTheWorkingDirectory)
{
    const QByteArray song = addSong(u"a.mp3"_s, 1);
    m_dirs.programDir = m_root.filePath(u"no such folder"_s);
    EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), m_dirs), CutOutcome::Written);
    EXPECT_EQ(readBytes(m_dirs.workDir + u"/[铃声]a.mp3"_s), song.mid(5'999, 18'000));
}

TEST_F(CutEngineTest, NamesThatAreNotUtf8KeepTheirBytes)
{
    // "歌.mp3" in GBK, as a folder unpacked from a Windows archive has it.
    const QByteArray gbkName = "\xB8\xE8.mp3";
    const QString name = decodeFileName(gbkName);
    const QByteArray song = addSong(name, 2);
    ASSERT_EQ(cutOne(m_folder, row(name, u"1"_s, u"2"_s), m_dirs), CutOutcome::Written);

    const QByteArray outputPath = QFile::encodeName(m_dirs.programDir) + "/" + QStringView(u"[铃声]").toUtf8() + gbkName;
    const int fd = ::open(outputPath.constData(), O_RDONLY);
    ASSERT_GE(fd, 0) << "no output under the name's own bytes";
    QByteArray bytes(10'000, 0);
    const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
    ::close(fd);
    EXPECT_EQ(bytes.left(n), song.mid(3'999, 4'000));
}

TEST_F(CutEngineTest, CutAllOfAnEmptyListReportsZeroAndZero)
{
    const CutTally tally = cutAll(m_folder, {}, m_dirs);
    EXPECT_EQ(tally.succeeded, 0);
    EXPECT_EQ(tally.failed, 0);
    const Notice notice = cutAllNotice(tally);
    EXPECT_EQ(notice.text, u"剪切成功：0首。剪切失败：0首！"_s);
    EXPECT_EQ(notice.style, MessageStyle::Information);
    EXPECT_EQ(notice.title, u"提示"_s);
}

TEST_F(CutEngineTest, CutAllCountsUnmarkedAndUnwritableRowsAsFailed)
{
    addSong(u"top.mp3"_s, 1);
    addSong(u"middle.mp3"_s, 2);
    const QByteArray bottom = addSong(u"bottom.mp3"_s, 3);
    ASSERT_TRUE(QDir(m_dirs.workDir).mkdir(u"[铃声]middle.mp3"_s));
    const QList<SongRow> rows = {
        row(u"top.mp3"_s, {}, {}, {}),
        row(u"middle.mp3"_s, u"1"_s, u"3"_s, u"2"_s),
        row(u"bottom.mp3"_s, u"2"_s, u"5"_s, u"3"_s),
    };
    const CutTally tally = cutAll(m_folder, rows, m_dirs);
    EXPECT_EQ(tally.succeeded, 1);
    EXPECT_EQ(tally.failed, 2);
    EXPECT_EQ(cutAllNotice(tally).text, u"剪切成功：1首。剪切失败：2首！"_s);
    EXPECT_EQ(entriesOf(m_dirs.programDir), QStringList{u"[铃声]bottom.mp3"_s});
    EXPECT_EQ(programFile(u"[铃声]bottom.mp3"_s), bottom.mid(7'999, 12'000));
    EXPECT_EQ(entriesOf(m_dirs.workDir), QStringList{u"[铃声]middle.mp3"_s});
}

TEST_F(CutEngineTest, CutAllWritesTheBottomRowFirst)
{
    // Two rows of one song: the file written last is the one that stays.
    const QByteArray song = addSong(u"a.mp3"_s, 1);
    const QList<SongRow> rows = {row(u"a.mp3"_s, u"1"_s, u"2"_s), row(u"a.mp3"_s, u"5"_s, u"7"_s)};
    const CutTally tally = cutAll(m_folder, rows, m_dirs);
    EXPECT_EQ(tally.succeeded, 2);
    EXPECT_EQ(programFile(u"[铃声]a.mp3"_s), song.mid(3'999, 4'000));
}

TEST_F(CutEngineTest, CutAllCountsEmptySegmentsAsFailedAndWritesNothingForThem)
{
    addSong(u"a.mp3"_s, 1);
    const QList<SongRow> rows = {
        row(u"gone.mp3"_s, u"1"_s, u"2"_s),
        row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s, u"0"_s),
        row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s, {}),
        row(u"a.mp3"_s, u"6"_s, u"2"_s, u"4"_s), // a cut length that does not match its marks
        row(u"a.mp3"_s, u"3"_s, u"3"_s, u"0"_s),
    };
    const CutTally tally = cutAll(m_folder, rows, m_dirs);
    EXPECT_EQ(tally.succeeded, 0);
    EXPECT_EQ(tally.failed, 5);
    EXPECT_TRUE(entriesOf(m_dirs.workDir).isEmpty());
    EXPECT_TRUE(entriesOf(m_dirs.programDir).isEmpty());
}
