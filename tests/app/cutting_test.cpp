#include "support/songfolder.h"
#include "support/windowfixture.h"

#include "app/panels/cuttinghandlers.h"
#include "app/controls/listselection.h"
#include "cutting/songfiles.h"
#include "songlistrows.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>

#include <atomic>
#include <functional>

using namespace tunora;
using namespace tunora::test;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

namespace {

const QString kMergeName = u"[铃声]劲歌金曲[请自行修改名字].mp3"_s;

// Holds a cut's work on its worker until released. A hold ends by itself after kHoldMs, so a
// cut made on the GUI thread ends too and the test fails on its checks instead of hanging.
class WorkGate {
public:
    static constexpr int kHoldMs = 3000;

    std::function<void()> gate()
    {
        return [this] {
            ++m_passes;
            m_entered.release();
            m_open.tryAcquire(1, kHoldMs);
        };
    }
    bool waitEntered() { return m_entered.tryAcquire(1, 20000); }
    void release() { m_open.release(); }
    int passes() const { return m_passes; }

private:
    QSemaphore m_entered;
    QSemaphore m_open;
    std::atomic<int> m_passes = 0;
};

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
    void select(int row) { selectRow(ui().songListView, row); }

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
    clickCut(ui().cutSelectedButton);

    EXPECT_EQ(outputs(), QStringList{u"[铃声]b.mp3"_s});
    EXPECT_EQ(output(u"[铃声]b.mp3"_s), slice(u"b.mp3"_s, 500, 625));
    EXPECT_TRUE(workDirEntries().isEmpty());
    expectMessages({{u"剪切成功！"_s, MessageStyle::Information, u"提示"_s}});

    // The same song again, at other marks, replaces the first cut.
    songs().setCell(1, SongListModel::Start, u"0.125"_s);
    clickCut(ui().cutSelectedButton);
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
        clickCut(ui().cutSelectedButton);
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
    clickCut(ui().cutSelectedButton);
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), patternBytes(16'000, 9).mid(3'999, 4'000));
}

TEST_F(Cutting, CutSelectedThatCannotWriteSaysSo)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    select(0);
    // The working directory holds a folder of the output's name.
    ASSERT_TRUE(QDir(m_workDir.path()).mkdir(u"[铃声]a.mp3"_s));
    clickCut(ui().cutSelectedButton);
    EXPECT_TRUE(outputs().isEmpty());
    expectMessages({{u"剪切失败！"_s, MessageStyle::Exclamation, u"提示"_s}});
}

TEST_F(Cutting, CutAllOfAnEmptyListTalliesZeroAndZero)
{
    clickCut(ui().cutAllButton);
    EXPECT_TRUE(outputs().isEmpty());
    expectMessages({{u"剪切成功：0首。剪切失败：0首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, CutAllCountsUnmarkedAndUnwritableRowsAsFailed)
{
    add({u"a.mp3"_s, u""_s, u""_s, u""_s, u"1"_s});
    add({u"b.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"c.mp3"_s, u"0.5"_s, u"0.75"_s, u"0.25"_s, u"1"_s});
    ASSERT_TRUE(QDir(m_workDir.path()).mkdir(u"[铃声]b.mp3"_s));
    clickCut(ui().cutAllButton);

    EXPECT_EQ(outputs(), QStringList{u"[铃声]c.mp3"_s});
    EXPECT_EQ(output(u"[铃声]c.mp3"_s), slice(u"c.mp3"_s, 500, 750));
    expectMessages({{u"剪切成功：1首。剪切失败：2首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, CutAllWritesTheBottomRowFirst)
{
    // Two rows of one song: the output written last is the one that stays.
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"a.mp3"_s, u"0.5"_s, u"0.75"_s, u"0.25"_s, u"1"_s});
    clickCut(ui().cutAllButton);
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), slice(u"a.mp3"_s, 250, 500));
    expectMessages({{u"剪切成功：2首。剪切失败：0首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, MergeJoinsTheBottomRowsSegmentFirst)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    clickCut(ui().mergeAllButton);

    EXPECT_EQ(outputs(), QStringList{kMergeName});
    EXPECT_EQ(output(kMergeName), slice(u"b.mp3"_s, 500, 625) + slice(u"a.mp3"_s, 250, 500));
    EXPECT_TRUE(workDirEntries().isEmpty());
    expectMessages({{u"合并成功：2首。合并失败：0首！"_s, MessageStyle::Information, u"提示"_s}});

    // A move changes the order; the second merge replaces the first.
    select(0);
    ui().moveDownItem->trigger();
    clickCut(ui().mergeAllButton);
    EXPECT_EQ(output(kMergeName), slice(u"a.mp3"_s, 250, 500) + slice(u"b.mp3"_s, 500, 625));
}

TEST_F(Cutting, MergeCountsUnmarkedRowsAsFailed)
{
    add({u"a.mp3"_s, u"0.25"_s, u""_s, u""_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    clickCut(ui().mergeAllButton);
    EXPECT_EQ(output(kMergeName), slice(u"b.mp3"_s, 500, 625));
    expectMessages({{u"合并成功：1首。合并失败：1首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, MergeOfOneRowIsRefused)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    clickCut(ui().mergeAllButton);
    EXPECT_TRUE(outputs().isEmpty());
    expectMessages({{u"合并歌曲需要两首或以上才能合并！"_s, MessageStyle::Error, u"错误"_s}});
}

TEST_F(Cutting, MergeWithNothingMarkedOrUnwritableIsSilent)
{
    add({u"a.mp3"_s, u""_s, u""_s, u""_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.5"_s, u"0"_s, u"1"_s});
    add({u"c.mp3"_s, u"0.5"_s, u""_s, u""_s, u"1"_s});
    clickCut(ui().mergeAllButton);
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(workDirEntries().isEmpty());
    EXPECT_TRUE(m_desktop.messages.isEmpty());

    songs().setCell(2, SongListModel::End, u"0.75"_s);
    songs().setCell(2, SongListModel::CutLength, u"0.25"_s);
    ASSERT_TRUE(QDir(m_workDir.path()).mkdir(kMergeName));
    clickCut(ui().mergeAllButton);
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

// ---- Cuts run on a worker ------------------------------------------------------------------

TEST_F(Cutting, ALongCutLeavesTheWindowAnsweringBehindAModalProgressDialog)
{
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    select(0);
    WorkGate work;
    window().cutting().setWorkGate(work.gate());
    const auto progressDialog = [this] { return window().findChild<QProgressDialog *>(u"cutProgress"_s); };
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);

    QElapsedTimer clock;
    clock.start();
    ui().cutSelectedButton->click();
    EXPECT_LT(clock.elapsed(), 1000) << "the click returns while the cut runs";
    ASSERT_TRUE(work.waitEntered());
    EXPECT_TRUE(window().cutting().isBusy());
    EXPECT_EQ(progressDialog(), nullptr) << "no dialog for the first half second";

    QTest::qWait(800);
    EXPECT_GE(ticks, 20) << "the event loop turned while the cut ran";
    QProgressDialog *dialog = progressDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(QApplication::activeModalWidget(), dialog);
    EXPECT_TRUE(dialog->labelText().startsWith(u"正在剪切"_s));

    // No second cut starts meanwhile, whichever way its button is reached.
    QTest::mouseClick(ui().cutAllButton, Qt::LeftButton);
    ui().mergeAllButton->click();
    work.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window().cutting().isBusy(); }, 20000));
    EXPECT_EQ(work.passes(), 1);
    EXPECT_EQ(progressDialog(), nullptr);
    EXPECT_EQ(output(u"[铃声]b.mp3"_s), slice(u"b.mp3"_s, 500, 625));
    expectMessages({{u"剪切成功！"_s, MessageStyle::Information, u"提示"_s}});

    // The next click cuts again, with no hold: no dialog ever shows for quick work.
    window().cutting().setWorkGate({});
    m_desktop.messages.clear();
    clickCut(ui().mergeAllButton);
    EXPECT_EQ(progressDialog(), nullptr);
    expectMessages({{u"合并歌曲需要两首或以上才能合并！"_s, MessageStyle::Error, u"错误"_s}});
}

TEST_F(Cutting, CutAllAndMergeCountTheRowsDoneInTheProgressDialog)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"b.mp3"_s, u""_s, u""_s, u""_s, u"1"_s}); // not marked: counted as failed, and done
    add({u"c.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    const struct {
        const char *what;
        QPushButton *button;
        QString label;
    } cases[] = {
        {"cut all", ui().cutAllButton, u"正在剪切……"_s},
        {"merge all", ui().mergeAllButton, u"正在合并……"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        WorkGate rows;
        window().cutting().setRowGate(rows.gate());
        const auto dialog = [this] { return window().findChild<QProgressDialog *>(u"cutProgress"_s); };
        c.button->click();
        for (int done = 1; done <= 3; ++done) {
            SCOPED_TRACE("after row " + std::to_string(done));
            ASSERT_TRUE(rows.waitEntered());
            const QString expected = c.label + u"\n第 "_s + QString::number(done) + u" / 3 首"_s;
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog() && dialog()->labelText() == expected; }, 5000))
                << (dialog() ? dialog()->labelText().toStdString() : "no dialog");
            const QProgressBar *bar = dialog() ? dialog()->findChild<QProgressBar *>() : nullptr;
            ASSERT_NE(bar, nullptr);
            EXPECT_EQ(bar->maximum(), 3);
            EXPECT_EQ(bar->value(), done);
            rows.release();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window().cutting().isBusy(); }, 20000));
        EXPECT_EQ(rows.passes(), 3);
        EXPECT_EQ(dialog(), nullptr);
        window().cutting().setRowGate({});
    }
    expectMessages({{u"剪切成功：2首。剪切失败：1首！"_s, MessageStyle::Information, u"提示"_s},
                    {u"合并成功：2首。合并失败：1首！"_s, MessageStyle::Information, u"提示"_s}});
    EXPECT_EQ(output(kMergeName), slice(u"c.mp3"_s, 500, 625) + slice(u"a.mp3"_s, 250, 500));
}

TEST_F(Cutting, RowsAndFoldersAreTakenAtTheClick)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    add({u"b.mp3"_s, u"0.5"_s, u"0.625"_s, u"0.13"_s, u"1"_s});
    WorkGate work;
    window().cutting().setWorkGate(work.gate());
    ui().cutAllButton->click();
    ASSERT_TRUE(work.waitEntered());
    // While the cut waits, the list, the song folder and the working directory change.
    songs().clearSongs();
    showSongFolder(u"/nowhere/"_s);
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    work.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window().cutting().isBusy(); }, 20000));
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), slice(u"a.mp3"_s, 250, 500));
    EXPECT_EQ(output(u"[铃声]b.mp3"_s), slice(u"b.mp3"_s, 500, 625));
    EXPECT_TRUE(entriesOf(elsewhere.path()).isEmpty());
    expectMessages({{u"剪切成功：2首。剪切失败：0首！"_s, MessageStyle::Information, u"提示"_s}});
}

TEST_F(Cutting, QuittingDuringACutLetsItFinishItsFileAndTellsNothing)
{
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    select(0);
    WorkGate work;
    window().cutting().setWorkGate(work.gate());
    ui().cutSelectedButton->click();
    ASSERT_TRUE(work.waitEntered());
    QTest::qWait(600); // the progress dialog is up
    // The window goes as at the end of the program, the cut still running.
    m_window.reset();
    work.release();
    // The application waits for its thread pool as it ends.
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), slice(u"a.mp3"_s, 250, 500));
    EXPECT_TRUE(workDirEntries().isEmpty()) << workDirEntries().join(u' ').toStdString();
    EXPECT_TRUE(m_desktop.messages.isEmpty());
}

// A song whose sound cannot be changed without re-encoding it is cut as it would be without
// the effect, and the message's second line says so under its usual first line.
TEST_F(Cutting, AFadeOnASongThatCannotTakeItIsCutUnchangedAndSaysSo)
{
    ui().fadeInItem->trigger();
    add({u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    select(0);
    clickCut(ui().cutSelectedButton);
    ASSERT_EQ(m_desktop.messages.size(), 1);
    const QStringList lines = m_desktop.messages[0].text.split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], u"剪切成功！"_s);
    EXPECT_EQ(lines[1], u"铃声效果不适用于这种格式：铃声按原样写出。"_s);
    EXPECT_EQ(output(u"[铃声]a.mp3"_s), slice(u"a.mp3"_s, 250, 500));
}
