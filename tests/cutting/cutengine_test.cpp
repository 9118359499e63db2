#include "cutting/cutengine.h"
#include "app/panels/cuttingmessages.h"

#include "platform/files/filenames.h"
#include "songfiles.h"
#include "support/filesizelimit.h"

#include <QDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
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
    EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());

    // A second cut replaces the first.
    EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"0"_s, u"2"_s), m_dirs), CutOutcome::Written);
    EXPECT_EQ(programFile(u"[铃声]a.mp3"_s), song.left(8'000));

    const std::optional<Notice> notice = cutOneNotice(CutOutcome::Written, m_dirs.workDir);
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
        EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());
        EXPECT_TRUE(entriesOf(m_dirs.programDir.text()).isEmpty());
    }
    EXPECT_FALSE(cutOneNotice(CutOutcome::Nothing, m_dirs.workDir));
}

TEST_F(CutEngineTest, FailedCutKeepsTheOlderOutputAndLeavesNoTemporaryFile)
{
    addSong(u"a.mp3"_s, 1);
    writeBytes(m_dirs.workDir.text() + u"/[铃声]a.mp3"_s, "older in work");
    writeBytes(m_dirs.programDir.text() + u"/[铃声]a.mp3"_s, "older in program");
    {
        // The write stops part way, after 4096 of the segment's 18000 bytes.
        FileSizeLimit limit(4096);
        EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), m_dirs), CutOutcome::WriteFailed);
    }
    EXPECT_EQ(readBytes(m_dirs.workDir.text() + u"/[铃声]a.mp3"_s), "older in work");
    EXPECT_EQ(programFile(u"[铃声]a.mp3"_s), "older in program");
    EXPECT_EQ(entriesOf(m_dirs.workDir.text()), QStringList{u"[铃声]a.mp3"_s});

    const std::optional<Notice> notice = cutOneNotice(CutOutcome::WriteFailed, m_dirs.workDir);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, u"剪切失败！"_s);
    EXPECT_EQ(notice->style, MessageStyle::Exclamation);
    EXPECT_EQ(notice->title, u"提示"_s);
}

TEST_F(CutEngineTest, OutputThatCannotTakeItsNameFails)
{
    addSong(u"a.mp3"_s, 1);
    ASSERT_TRUE(QDir(m_dirs.workDir.text()).mkdir(u"[铃声]a.mp3"_s));
    EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), m_dirs), CutOutcome::WriteFailed);
    EXPECT_EQ(entriesOf(m_dirs.workDir.text()), QStringList{u"[铃声]a.mp3"_s});
    EXPECT_TRUE(entriesOf(m_dirs.programDir.text()).isEmpty());
}

// A ringtone that cannot go into the program directory stays whole where it was written,
// and the user is told where that is, not only that the cut succeeded.
TEST_F(CutEngineTest, FailedMoveKeepsTheCutInTheWorkingDirectoryAndSaysWhere)
{
    const QByteArray song = addSong(u"a.mp3"_s, 1);
    const QByteArray cut = song.mid(5'999, 18'000);
    const struct {
        const char *what;
        std::function<void(OutputDirs &)> arrange;
    } cases[] = {
        {"no program directory", [&](OutputDirs &dirs) { dirs.programDir = FilePath(m_root.filePath(u"gone"_s)); }},
        {"a folder in the way",
         [&](OutputDirs &dirs) { ASSERT_TRUE(QDir(dirs.programDir.text()).mkdir(u"[铃声]a.mp3"_s)); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        OutputDirs dirs = m_dirs;
        c.arrange(dirs);
        EXPECT_EQ(cutOne(m_folder, row(u"a.mp3"_s, u"1.5"_s, u"6"_s), dirs), CutOutcome::WrittenInWorkDir);
        EXPECT_EQ(readBytes(m_dirs.workDir.text() + u"/[铃声]a.mp3"_s), cut);

        const CutTally tally = cutAll(m_folder, {row(u"gone.mp3"_s, u"1"_s, u"2"_s), row(u"a.mp3"_s, u"1.5"_s, u"6"_s)}, dirs);
        EXPECT_EQ(tally.succeeded, 1);
        EXPECT_EQ(tally.failed, 1);
        EXPECT_EQ(tally.leftInWorkDir, 1);
        EXPECT_EQ(readBytes(m_dirs.workDir.text() + u"/[铃声]a.mp3"_s), cut);
        QDir(m_dirs.programDir.text()).rmdir(u"[铃声]a.mp3"_s);
    }

    // The working directory as the user reads it: each name in it shows as its characters,
    // a GBK one (from a Windows archive) inside UTF-8 ones too.
    const struct {
        const char *what;
        QByteArray workDir;
        QString shown;
    } places[] = {
        {"a GBK name", "/home/u/\xB8\xE8\xC7\xFA", u"/home/u/歌曲"_s},
        {"a GBK name inside a UTF-8 one", QStringView(u"/home/u/音乐/").toUtf8() + "\xB8\xE8\xC7\xFA",
         u"/home/u/音乐/歌曲"_s},
    };
    for (const auto &place : places) {
        SCOPED_TRACE(place.what);
        const FilePath workDir = FilePath::fromBytes(place.workDir);
        const std::optional<Notice> notice = cutOneNotice(CutOutcome::WrittenInWorkDir, workDir);
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->text, u"剪切成功！\n铃声无法移到程序目录，留在："_s + place.shown);
        EXPECT_EQ(notice->style, MessageStyle::Exclamation);
        EXPECT_EQ(notice->title, u"提示"_s);
        const Notice tallyNotice = cutAllNotice({3, 1, 2}, workDir);
        EXPECT_EQ(tallyNotice.text, u"剪切成功：3首。剪切失败：1首！\n其中2首无法移到程序目录，留在："_s + place.shown);
        EXPECT_EQ(tallyNotice.style, MessageStyle::Exclamation);
    }
}

TEST_F(CutEngineTest, NamesThatAreNotUtf8KeepTheirBytes)
{
    // "歌.mp3" in GBK, as a folder unpacked from a Windows archive has it.
    const QByteArray gbkName = "\xB8\xE8.mp3";
    const QString name = decodeFileName(gbkName);
    const QByteArray song = addSong(name, 2);
    ASSERT_EQ(cutOne(m_folder, row(name, u"1"_s, u"2"_s), m_dirs), CutOutcome::Written);

    const QByteArray outputPath = m_dirs.programDir.bytes() + "/" + QStringView(u"[铃声]").toUtf8() + gbkName;
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
    const Notice notice = cutAllNotice(tally, m_dirs.workDir);
    EXPECT_EQ(notice.text, u"剪切成功：0首。剪切失败：0首！"_s);
    EXPECT_EQ(notice.style, MessageStyle::Information);
    EXPECT_EQ(notice.title, u"提示"_s);
}

TEST_F(CutEngineTest, CutAllCountsUnmarkedAndUnwritableRowsAsFailed)
{
    addSong(u"top.mp3"_s, 1);
    addSong(u"middle.mp3"_s, 2);
    const QByteArray bottom = addSong(u"bottom.mp3"_s, 3);
    ASSERT_TRUE(QDir(m_dirs.workDir.text()).mkdir(u"[铃声]middle.mp3"_s));
    const QList<SongRow> rows = {
        row(u"top.mp3"_s, {}, {}, {}),
        row(u"middle.mp3"_s, u"1"_s, u"3"_s, u"2"_s),
        row(u"bottom.mp3"_s, u"2"_s, u"5"_s, u"3"_s),
    };
    const CutTally tally = cutAll(m_folder, rows, m_dirs);
    EXPECT_EQ(tally.succeeded, 1);
    EXPECT_EQ(tally.failed, 2);
    EXPECT_EQ(cutAllNotice(tally, m_dirs.workDir).text, u"剪切成功：1首。剪切失败：2首！"_s);
    EXPECT_EQ(entriesOf(m_dirs.programDir.text()), QStringList{u"[铃声]bottom.mp3"_s});
    EXPECT_EQ(programFile(u"[铃声]bottom.mp3"_s), bottom.mid(7'999, 12'000));
    EXPECT_EQ(entriesOf(m_dirs.workDir.text()), QStringList{u"[铃声]middle.mp3"_s});
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
    EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());
    EXPECT_TRUE(entriesOf(m_dirs.programDir.text()).isEmpty());
}
