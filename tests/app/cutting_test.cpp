#include "support/songfolder.h"
#include "support/windowfixture.h"

#include "app/listselection.h"
#include "cutting/songfiles.h"
#include "songlistrows.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

using namespace tunora;
using namespace tunora::test;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

const QString kMergeName = u"[铃声]劲歌金曲[请自行修改名字].mp3"_s;

} // namespace

// A window whose song folder holds of 16,000-byte songs a.mp3, b.mp3 and c.mp3,
// each 1 s long by its row: 16 bytes per millisecond. The process works in a directory of
// its own, where outputs are written before they move to the program directory.
class Cutting : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_songs.isValid() && m_workDir.isValid());
        for (int seed = 1; const QString &name : {u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s})
            m_songs.addFile(name, m_songBytes[name] = patternBytes(16'000, seed++));
        m_previousDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_workDir.path()));
        start();
        showSongFolder(m_songs.path());
    }
    void TearDown() override { QDir::setCurrent(m_previousDir); }

    SongListModel &songs() { return *ui().songList; }
    void add(const QStringList &cells) { appendRow(songs(), cells); }
    void select(int row) { selectRow(ui().超级列表框1, row); }

    // The bytes of song `name` at the marks (start, end) in seconds at 16 bytes per ms.
    QByteArray slice(const QString &name, int startMs, int endMs) const
    {
        return m_songBytes[name].mid(startMs * 16 - 1, (endMs - startMs) * 16);
    }
    QByteArray output(const QString &name) const { return readBytes(QDir(programDirectory()).filePath(name)); }
    // Cut and merge outputs in the program directory; the settings file lives there too.
    QStringList outputs() const
    {
        QStringList names = entriesOf(programDirectory());
        names.removeIf([](const QString &name) { return !name.startsWith(u"[铃声]"_s); });
        return names;
    }
    QStringList workDirEntries() const { return entriesOf(m_workDir.path()); }
    void expectMessages(const QList<FakeDesktop::Message> &expected) const
    {
        ASSERT_EQ(m_desktop.messages.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(m_desktop.messages[i].text, expected[i].text);
            EXPECT_EQ(m_desktop.messages[i].style, expected[i].style);
            EXPECT_EQ(m_desktop.messages[i].title, expected[i].title);
        }
    }

    SongFolder m_songs;
    QHash<QString, QByteArray> m_songBytes;
    QTemporaryDir m_workDir;
    QString m_previousDir;
};

TEST_F(Cutting, CutSelectedWritesTheSliceAndMovesItIntoTheProgramDirectory)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    select(1);
    ui().按钮5->click();

    EXPECT_EQ(outputs(), QStringList{u"[铃声]b.mp3"_s});
    EXPECT_EQ(output(u"[铃声]b.mp3"_s), slice(u"b.mp3"_s, 500, 625));
    EXPECT_TRUE(workDirEntries().isEmpty());
    expectMessages({{u"剪切成功！"_s, MessageStyle::Information, u"提示"_s}});

    // The same song again, at other marks, replaces the first cut.
    songs().setCell(1, SongListModel::Start, u"0.125"_s);
    ui().按钮5->click();
    EXPECT_EQ(output(u"[铃声]b.mp3"_s), slice(u"b.mp3"_s, 125, 625));
}

TEST_F(Cutting, CutSelectedWithNothingToCutIsSilent)
{
    struct Case {
        const char *what;
        QStringList row;
        int selectedRow;
    };
    const Case cases[] = {
        {"no selected row", {u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s}, -1},
        {"no marks", {u"a.mp3"_s, u""_s, u""_s, u""_s, u"1"_s}, 0},
        {"no song length", {u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u""_s}, 0},
        {"end before start", {u"a.mp3"_s, u"0.5"_s, u"0.25"_s, u"-0.25"_s, u"1"_s}, 0},
        {"song not in the folder", {u"gone.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        songs().clearSongs();
        add(c.row);
        if (c.selectedRow != -1)
            select(c.selectedRow);
        ui().按钮5->click();
        EXPECT_TRUE(outputs().isEmpty());
        EXPECT_TRUE(workDirEntries().isEmpty());
        EXPECT_TRUE(m_desktop.messages.isEmpty());
    }
}

TEST_F(Cutting, CutSelectedReadsTheSongFolderChosenLast)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    select(0);
    SongFolder other;
    other.addFile(u"a.mp3"_s, patternBytes(16'000, 9));
    showSongFolder(other.path());
    ui().按钮5->click();
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), patternBytes(16'000, 9).mid(3'999, 4'000));
}

TEST_F(Cutting, CutSelectedThatCannotWriteSaysSo)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    select(0);
    // The working directory holds a folder of the output's name.
    ASSERT_TRUE(QDir(m_workDir.path()).mkdir(u"[铃声]a.mp3"_s));
    ui().按钮5->click();
    EXPECT_TRUE(outputs().isEmpty());
    expectMessages({{u"剪切失败！"_s, MessageStyle::Exclamation, u"提示"_s}});
}

TEST_F(Cutting, CutAllOfAnEmptyListTalliesZeroAndZero)
{
    ui().按钮9->click();
    EXPECT_TRUE(outputs().isEmpty());
    expectMessages({{u"剪切成功：0首。剪切失败：0首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, CutAllCountsUnmarkedAndUnwritableRowsAsFailed)
{
    add({u"a.mp3"_s, u""_s, u""_s, u""_s, u"1"_s});
    add({u"b.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"c.mp3"_s, u"0.5"_s, u"0.75"_s, u"0.25"_s, u"1"_s});
    ASSERT_TRUE(QDir(m_workDir.path()).mkdir(u"[铃声]b.mp3"_s));
    ui().按钮9->click();

    EXPECT_EQ(outputs(), QStringList{u"[铃声]c.mp3"_s});
    EXPECT_EQ(output(u"[铃声]c.mp3"_s), slice(u"c.mp3"_s, 500, 750));
    expectMessages({{u"剪切成功：1首。剪切失败：2首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, CutAllWritesTheBottomRowFirst)
{
    // Two rows of one song: the output written last is the one that stays.
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"a.mp3"_s, u"0.5"_s, u"0.75"_s, u"0.25"_s, u"1"_s});
    ui().按钮9->click();
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), slice(u"a.mp3"_s, 250, 500));
    expectMessages({{u"剪切成功：2首。剪切失败：0首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, MergeJoinsTheBottomRowsSegmentFirst)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    ui().按钮1->click();

    EXPECT_EQ(outputs(), QStringList{kMergeName});
    EXPECT_EQ(output(kMergeName), slice(u"b.mp3"_s, 500, 625) + slice(u"a.mp3"_s, 250, 500));
    EXPECT_TRUE(workDirEntries().isEmpty());
    expectMessages({{u"合并成功：2首。合并失败：0首！"_s, MessageStyle::Information, u"提示"_s}});

    // A move changes the order; the second merge replaces the first.
    select(0);
    ui().向下移动->trigger();
    ui().按钮1->click();
    EXPECT_EQ(output(kMergeName), slice(u"a.mp3"_s, 250, 500) + slice(u"b.mp3"_s, 500, 625));
}

TEST_F(Cutting, MergeCountsUnmarkedRowsAsFailed)
{
    add({u"a.mp3"_s, u"0.25"_s, u""_s, u""_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    ui().按钮1->click();
    EXPECT_EQ(output(kMergeName), slice(u"b.mp3"_s, 500, 625));
    expectMessages({{u"合并成功：1首。合并失败：1首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, MergeOfOneRowIsRefused)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    ui().按钮1->click();
    EXPECT_TRUE(outputs().isEmpty());
    expectMessages({{u"合并歌曲需要两首或以上才能合并！"_s, MessageStyle::Error, u"错误"_s}});
}

TEST_F(Cutting, MergeWithNothingMarkedOrUnwritableIsSilent)
{
    add({u"a.mp3"_s, u""_s, u""_s, u""_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.5"_s, u"0"_s, u"1"_s});
    add({u"c.mp3"_s, u"0.5"_s, u""_s, u""_s, u"1"_s});
    ui().按钮1->click();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(workDirEntries().isEmpty());
    EXPECT_TRUE(m_desktop.messages.isEmpty());

    songs().setCell(2, SongListModel::End, u"0.75"_s);
    songs().setCell(2, SongListModel::CutLength, u"0.25"_s);
    ASSERT_TRUE(QDir(m_workDir.path()).mkdir(kMergeName));
    ui().按钮1->click();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}
