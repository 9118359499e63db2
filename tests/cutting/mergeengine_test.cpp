#include "app/panels/cuttingmessages.h"
#include "cutting/mergeengine.h"

#include "songfiles.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tunora;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

const QString kMerged = u"[铃声]劲歌金曲[请自行修改名字].mp3"_s;

class MergeEngineTest : public SongFoldersTest {
protected:
    void SetUp() override
    {
        SongFoldersTest::SetUp();
        m_a = addSong(u"a.mp3"_s, 1);
        m_b = addSong(u"b.mp3"_s, 2);
    }

    static SongRow row(const QString &name, const QString &start, const QString &end, const QString &cutLength)
    {
        return {name, start, end, cutLength, u"10"_s};
    }

    QByteArray mergedFile() const { return programFile(kMerged); }

    QByteArray m_a, m_b;
};

} // namespace

TEST_F(MergeEngineTest, BottomRowComesFirstWithNothingBetween)
{
    const QList<SongRow> rows = {row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s), row(u"b.mp3"_s, u"5"_s, u"7.5"_s, u"2.5"_s)};
    const MergeOutcome outcome = mergeAll(m_folder, rows, m_dirs);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Written);
    EXPECT_EQ(outcome.merged, 2);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(mergedFile(), m_b.mid(19'999, 10'000) + m_a.mid(3'999, 4'000));
    EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());

    const std::optional<Notice> notice = mergeNotice(outcome, m_dirs.workDir);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, u"合并成功：2首。合并失败：0首！"_s);
    EXPECT_EQ(notice->style, MessageStyle::Information);
    EXPECT_EQ(notice->title, u"提示"_s);

    // A second merge replaces the first.
    const QList<SongRow> again = {row(u"a.mp3"_s, u"0"_s, u"1"_s, u"1"_s), row(u"b.mp3"_s, {}, {}, {})};
    const MergeOutcome second = mergeAll(m_folder, again, m_dirs);
    EXPECT_EQ(second.merged, 1);
    EXPECT_EQ(second.failed, 1);
    EXPECT_EQ(mergedFile(), m_a.left(4'000));
    EXPECT_EQ(mergeNotice(second, m_dirs.workDir)->text, u"合并成功：1首。合并失败：1首！"_s);
}

TEST_F(MergeEngineTest, FewerThanTwoRowsAreRefused)
{
    for (const QList<SongRow> &rows : {QList<SongRow>{}, QList<SongRow>{row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s)}}) {
        SCOPED_TRACE(rows.size());
        const MergeOutcome outcome = mergeAll(m_folder, rows, m_dirs);
        EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Refused);
        EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());
        EXPECT_TRUE(entriesOf(m_dirs.programDir.text()).isEmpty());
        const std::optional<Notice> notice = mergeNotice(outcome, m_dirs.workDir);
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->text, u"合并歌曲需要两首或以上才能合并！"_s);
        EXPECT_EQ(notice->style, MessageStyle::Error);
        EXPECT_EQ(notice->title, u"错误"_s);
    }
}

TEST_F(MergeEngineTest, NothingToMergeWritesNothingAndSaysNothing)
{
    const struct {
        const char *what;
        QList<SongRow> rows;
        int failed;
    } cases[] = {
        {"none marked",
         {row(u"a.mp3"_s, {}, {}, {}), row(u"b.mp3"_s, u"3"_s, u"3"_s, u"0"_s), row(u"a.mp3"_s, u"1"_s, u"2"_s, u"0"_s)},
         3},
        {"every segment empty",
         {row(u"gone.mp3"_s, u"1"_s, u"2"_s, u"1"_s), {u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s, u"0"_s}},
         2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const MergeOutcome outcome = mergeAll(m_folder, c.rows, m_dirs);
        EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Nothing);
        EXPECT_EQ(outcome.merged, 0);
        EXPECT_EQ(outcome.failed, c.failed);
        EXPECT_FALSE(mergeNotice(outcome, m_dirs.workDir));
        EXPECT_TRUE(entriesOf(m_dirs.workDir.text()).isEmpty());
        EXPECT_TRUE(entriesOf(m_dirs.programDir.text()).isEmpty());
    }
}

TEST_F(MergeEngineTest, EmptySegmentCountsAsFailed)
{
    const QList<SongRow> rows = {
        row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s),
        row(u"gone.mp3"_s, u"1"_s, u"2"_s, u"1"_s),
        row(u"b.mp3"_s, {}, {}, {}),
        row(u"b.mp3"_s, u"0.5"_s, u"1"_s, u"0.5"_s),
    };
    const MergeOutcome outcome = mergeAll(m_folder, rows, m_dirs);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::Written);
    EXPECT_EQ(outcome.merged, 2);
    EXPECT_EQ(outcome.failed, 2);
    EXPECT_EQ(mergedFile(), m_b.mid(1'999, 2'000) + m_a.mid(3'999, 4'000));
}

TEST_F(MergeEngineTest, FailedWriteSaysNothingAndKeepsTheOlderOutput)
{
    writeBytes(m_dirs.programDir.text() + u"/"_s + kMerged, "older");
    ASSERT_TRUE(QDir(m_dirs.workDir.text()).mkdir(kMerged));
    const QList<SongRow> rows = {row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s), row(u"b.mp3"_s, u"1"_s, u"2"_s, u"1"_s)};
    const MergeOutcome outcome = mergeAll(m_folder, rows, m_dirs);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::WriteFailed);
    EXPECT_FALSE(mergeNotice(outcome, m_dirs.workDir));
    EXPECT_EQ(entriesOf(m_dirs.workDir.text()), QStringList{kMerged});
    EXPECT_EQ(mergedFile(), "older");
}

TEST_F(MergeEngineTest, FailedMoveKeepsTheMergeInTheWorkingDirectoryAndSaysWhere)
{
    writeBytes(m_dirs.programDir.text() + u"/"_s + kMerged, "older");
    OutputDirs dirs = m_dirs;
    dirs.programDir = FilePath(m_root.filePath(u"gone"_s));
    const QList<SongRow> rows = {row(u"a.mp3"_s, u"1"_s, u"2"_s, u"1"_s), row(u"b.mp3"_s, {}, {}, {})};
    const MergeOutcome outcome = mergeAll(m_folder, rows, dirs);
    EXPECT_EQ(outcome.kind, MergeOutcome::Kind::WrittenInWorkDir);
    EXPECT_EQ(readBytes(m_dirs.workDir.text() + u"/"_s + kMerged), m_a.mid(3'999, 4'000));
    EXPECT_EQ(mergedFile(), "older");
    const std::optional<Notice> notice = mergeNotice(outcome, m_dirs.workDir);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, u"合并成功：1首。合并失败：1首！\n合并文件无法移到程序目录，留在："_s + m_dirs.workDir.text());
    EXPECT_EQ(notice->style, MessageStyle::Exclamation);
}
