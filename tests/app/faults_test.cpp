// The window under bad input and faults: broken settings files at start-up, song files
// that are not songs or go away before the cut, awkward file names, outputs that cannot
// be written, and libraries far larger than usual. Nothing may be lost, nothing may hang.
#include "cutting/songfiles.h"
#include "support/filesizelimit.h"
#include "support/songfolder.h"
#include "support/windowfixture.h"

#include "app/controls/listselection.h"
#include "app/controls/searchcombobox.h"
#include "library/songlistmodel.h"
#include "platform/files/filenames.h"
#include "platform/files/gbkcodec.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTest>
#include <QTreeView>

#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tunora;
using namespace tunora::test;
using tunora::testing::patternBytes;

namespace {

const QString kCutOk = QStringLiteral(u"剪切成功！");
const QString kCutFailed = QStringLiteral(u"剪切失败！");
const QString kMerged = QStringLiteral(u"[铃声]劲歌金曲[请自行修改名字].mp3");
const QByteArray kRingtonePrefix = QStringView(u"[铃声]").toUtf8();

// Every name in a directory as its bytes, hidden ones included.
QList<QByteArray> rawEntries(const QString &dir)
{
    QList<QByteArray> names;
    if (DIR *d = ::opendir(encodeFileName(dir).constData())) {
        while (const dirent *e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray rawContents(const QByteArray &path)
{
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

// The process works in its own folder for the test, as the cut writes there first.
class WorkingDirectory {
public:
    WorkingDirectory()
    {
        char old[4096];
        if (::getcwd(old, sizeof old))
            m_old = old;
        if (!m_dir.isValid() || ::chdir(QFile::encodeName(m_dir.path()).constData()) != 0)
            ADD_FAILURE() << "cannot enter a working directory";
    }
    ~WorkingDirectory()
    {
        if (!m_old.isEmpty() && ::chdir(m_old.constData()) != 0)
            ADD_FAILURE() << "cannot return to the old working directory";
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace

class Faults : public WindowFixture {
protected:
    SongFolder songs;
    WorkingDirectory work;

    void writeSettings(const QByteArray &bytes) const
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void startWith(const QString &folder, const QString &format = QStringLiteral("mp3"))
    {
        writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + folder + QStringLiteral(u"\r\n[音乐格式]\r\n格式=")
                         + format + QStringLiteral("\r\n"));
        start();
    }
    QStringList entries() { return ui().songFiles->stringList(); }

    // Plays the entry and takes both marks, as a user does; the player reports the length.
    void mark(const QString &song, double start, double end, double duration = 10)
    {
        const int entry = int(entries().indexOf(song));
        ASSERT_GE(entry, 0) << song.toStdString();
        m_player.setDuration(duration);
        m_player.playItem(entry);
        m_player.setPosition(start);
        ui().markStartButton->click();
        m_player.setPosition(end);
        ui().markEndButton->click();
    }
    void selectRowOf(const QString &song)
    {
        const int row = ui().songList->rowOfSong(song);
        ASSERT_GE(row, 0) << song.toStdString();
        ui().songListView->selectionModel()->setCurrentIndex(
            ui().songList->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // The texts of the message boxes shown since the last call.
    QStringList takeMessages()
    {
        QStringList texts;
        for (const FakeDesktop::Message &m : m_desktop.messages)
            texts << m.text;
        m_desktop.messages.clear();
        return texts;
    }
    QByteArray programFile(const QByteArray &name) const
    {
        return rawContents(encodeFileName(programDirectory()) + '/' + name);
    }
    // What the cut left in the program directory, the settings file aside.
    QList<QByteArray> outputs() const
    {
        QList<QByteArray> names = rawEntries(programDirectory());
        names.removeAll(encodeFileName(settingsPath()).mid(encodeFileName(programDirectory()).size() + 1));
        return names;
    }
};

// ---- Settings files -------------------------------------------------------------------

TEST_F(Faults, StartUpWithBrokenSettingsFilesAppliesWhatItCanReadAndLosesNothing)
{
    songs.addFolder(QStringLiteral(u"歌曲"));
    const QString folder = songs.path() + QStringLiteral(u"歌曲/");
    songs.addFile(QStringLiteral(u"歌曲/a.mp3"));
    songs.addFile(QStringLiteral(u"歌曲/b.mp3"));
    const QStringList bothSongs{QStringLiteral("b.mp3"), QStringLiteral("a.mp3")};
    const QString valid = QStringLiteral(u"[播放方式]\r\n参数=随机\r\n[歌曲目录]\r\n路径=") + folder
                          + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n");

    std::mt19937 random(3);
    QByteArray garbage(64 * 1024, Qt::Uninitialized);
    for (char &c : garbage)
        c = char(random() & 0xff); // NULs, stray '[' and '=', invalid multi-byte runs
    const QByteArray huge = QByteArray(10 * 1024 * 1024, 'x') + '/';

    struct Case {
        const char *what;
        QByteArray bytes;
        bool random;
        QStringList songs;
    };
    const Case cases[] = {
        {"binary garbage", garbage, false, {}},
        {"10 MB folder value", encodeGbk(QStringLiteral(u"[播放方式]\r\n参数=随机\r\n[歌曲目录]\r\n路径=/"))
                                   + huge + "\r\n",
         true, {}},
        {"missing brackets", encodeGbk(QStringLiteral(u"播放方式]\r\n参数=随机\r\n[歌曲目录\r\n路径=") + folder
                                       + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n")),
         false, {}},
        {"duplicate sections and keys: the first wins",
         encodeGbk(valid + QStringLiteral(u"[播放方式]\r\n参数=循环\r\n[歌曲目录]\r\n路径=/nowhere/\r\n路径=/none/\r\n")),
         true, bothSongs},
        {"duplicate keys in one section", encodeGbk(QStringLiteral(u"[播放方式]\r\n参数=随机\r\n参数=循环\r\n")), true, {}},
        {"GBK with CRLF", encodeGbk(valid), true, bothSongs},
        {"GBK with LF", encodeGbk(QString(valid).remove(QLatin1Char('\r'))), true, bothSongs},
        {"UTF-8 without BOM", valid.toUtf8(), true, bothSongs},
        {"UTF-8 with BOM", QByteArray("\xEF\xBB\xBF") + valid.toUtf8(), true, bothSongs},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_window.reset();
        writeSettings(c.bytes);
        start();
        EXPECT_TRUE(window().isVisible());
        EXPECT_EQ(ui().randomItem->isChecked(), c.random);
        EXPECT_EQ(ui().loopItem->isChecked(), !c.random);
        EXPECT_EQ(entries(), c.songs);
        EXPECT_TRUE(m_desktop.messages.isEmpty());
        // Only the lines start-up writes change; every other byte is kept.
        const QByteArray after = settingsBytes();
        if (c.random)
            EXPECT_EQ(after, c.bytes);
        else
            EXPECT_TRUE(after.startsWith(c.bytes));
        EXPECT_EQ(SettingsFile(FilePath(programDirectory())).read(QStringLiteral(u"播放方式"), QStringLiteral(u"参数")),
                  c.random ? QStringLiteral(u"随机") : QStringLiteral(u"循环"));
    }
}

TEST_F(Faults, StartUpWithAReadOnlySettingsFileAppliesItsValues)
{
    songs.addFile(QStringLiteral("a.mp3"));
    const QByteArray bytes = encodeGbk(QStringLiteral(u"[播放方式]\r\n参数=随机\r\n[歌曲目录]\r\n路径=") + songs.path()
                                       + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n"));
    writeSettings(bytes);
    ASSERT_TRUE(QFile::setPermissions(settingsPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    start();
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(ui().randomItem->isChecked());
    EXPECT_EQ(entries(), QStringList{QStringLiteral("a.mp3")});
    // Start-up writes back what the file already holds: whether or not the write is
    // allowed, the file says the same.
    EXPECT_EQ(settingsBytes(), bytes);
    QFile::setPermissions(settingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Faults, StartUpWithAFolderInPlaceOfTheSettingsFileUsesTheDefaults)
{
    ASSERT_TRUE(QDir().mkpath(settingsPath() + QStringLiteral("/inner")));
    start();
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(ui().loopItem->isChecked());
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(QFileInfo(settingsPath() + QStringLiteral("/inner")).isDir());

    // The option items still toggle; their writes fail quietly.
    ui().startMinimisedItem->trigger();
    EXPECT_TRUE(ui().startMinimisedItem->isChecked());
    ui().randomItem->trigger();
    EXPECT_TRUE(ui().randomItem->isChecked());
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
}

// ---- Song files -------------------------------------------------------------------------

TEST_F(Faults, FilesThatAreNotWholeSongsAreListedAndCutWithoutHarm)
{
    std::mt19937 random(5);
    QByteArray noise(40'000, Qt::Uninitialized);
    for (char &c : noise)
        c = char(random() & 0xff);
    const QByteArray truncated = patternBytes(20'000, 2); // a 40000-byte song cut off half way
    songs.addFile(QStringLiteral("empty.mp3"));
    songs.addFile(QStringLiteral("truncated.mp3"), truncated);
    songs.addFile(QStringLiteral("noise.mp3"), noise);
    startWith(songs.path());
    ASSERT_EQ(entries().size(), 3);

    mark(QStringLiteral("empty.mp3"), 1, 2);
    mark(QStringLiteral("truncated.mp3"), 7, 10); // its own size sets the rate: 2 bytes per ms
    mark(QStringLiteral("noise.mp3"), 1, 2);

    selectRowOf(QStringLiteral("empty.mp3"));
    clickCut(ui().cutSelectedButton);
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_TRUE(outputs().isEmpty());

    selectRowOf(QStringLiteral("truncated.mp3"));
    clickCut(ui().cutSelectedButton);
    EXPECT_EQ(takeMessages(), QStringList{kCutOk});
    EXPECT_EQ(programFile(kRingtonePrefix + "truncated.mp3"), truncated.mid(13'999, 6'000));

    selectRowOf(QStringLiteral("noise.mp3"));
    clickCut(ui().cutSelectedButton);
    EXPECT_EQ(takeMessages(), QStringList{kCutOk});
    const QByteArray cut = programFile(kRingtonePrefix + "noise.mp3");
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_TRUE(noise.contains(cut));

    clickCut(ui().cutAllButton);
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral(u"剪切成功：2首。剪切失败：1首！")});
    clickCut(ui().mergeAllButton);
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral(u"合并成功：2首。合并失败：1首！")});
    EXPECT_EQ(programFile(encodeFileName(kMerged)), truncated.mid(13'999, 6'000) + noise.mid(3'999, 4'000));
}

TEST_F(Faults, SongsThatGoAwayBetweenScanAndCutWriteNothing)
{
    const QStringList names{QStringLiteral("deleted.mp3"), QStringLiteral("folder.mp3"), QStringLiteral("pipe.mp3"),
                            QStringLiteral("emptied.mp3")};
    for (int i = 0; i < names.size(); ++i)
        songs.addFile(names[i], patternBytes(40'000, i));
    startWith(songs.path());
    for (const QString &name : names)
        mark(name, 1, 2);

    const QByteArray folder = encodeFileName(songs.path());
    const auto at = [&folder](const char *name) { return QByteArray(folder + name); };
    ASSERT_EQ(::unlink(at("deleted.mp3")), 0);
    ASSERT_EQ(::unlink(at("folder.mp3")), 0);
    ASSERT_EQ(::mkdir(at("folder.mp3"), 0755), 0);
    ASSERT_EQ(::unlink(at("pipe.mp3")), 0);
    ASSERT_EQ(::mkfifo(at("pipe.mp3"), 0644), 0); // no writer ever comes
    ASSERT_EQ(::truncate(at("emptied.mp3"), 0), 0);

    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        selectRowOf(name);
        clickCut(ui().cutSelectedButton);
        EXPECT_TRUE(takeMessages().isEmpty());
    }
    clickCut(ui().cutAllButton);
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral(u"剪切成功：0首。剪切失败：4首！")});
    clickCut(ui().mergeAllButton);
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(rawEntries(work.path()).isEmpty());
}

TEST_F(Faults, ARowWhoseSongIsInAnotherFolderIsCutFromTheShownFolder)
{
    SongFolder other;
    songs.addFile(QStringLiteral("only here.mp3"), patternBytes(40'000, 1));
    songs.addFile(QStringLiteral("both.mp3"), patternBytes(40'000, 2));
    const QByteArray otherBoth = patternBytes(40'000, 3);
    other.addFile(QStringLiteral("both.mp3"), otherBoth);
    startWith(songs.path());
    mark(QStringLiteral("only here.mp3"), 1, 2);
    mark(QStringLiteral("both.mp3"), 1, 2);

    m_desktop.folderAnswers = {other.path()};
    ui().songFolderItem->trigger();
    ASSERT_EQ(entries(), QStringList{QStringLiteral("both.mp3")});
    ASSERT_EQ(ui().songList->rowCount(), 2);

    selectRowOf(QStringLiteral("only here.mp3"));
    clickCut(ui().cutSelectedButton);
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_TRUE(outputs().isEmpty());

    selectRowOf(QStringLiteral("both.mp3"));
    clickCut(ui().cutSelectedButton);
    EXPECT_EQ(takeMessages(), QStringList{kCutOk});
    EXPECT_EQ(programFile(kRingtonePrefix + "both.mp3"), otherBoth.mid(3'999, 4'000));

    clickCut(ui().cutAllButton);
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral(u"剪切成功：1首。剪切失败：1首！")});
}

// ---- File names -------------------------------------------------------------------------

TEST_F(Faults, AwkwardNamesAreListedCutAndKeepTheirBytes)
{
    const long nameMax = ::pathconf(encodeFileName(songs.path()).constData(), _PC_NAME_MAX);
    ASSERT_GE(nameMax, 255);
    const QByteArray names[] = {
        "with  spaces .mp3",
        "quotes ' and \".mp3",
        "#hash#.mp3",
        "100% %41.mp3",
        "star * and ? mark.mp3",
        "-leading dash.mp3",
        "--option=1.mp3",
        "\xb8\xe8\xc7\xfa.mp3",          // GBK, as a Windows archive unpacks it
        "\xb8\xe8 \xff\xfe mixed.mp3",   // bytes no encoding has
        QByteArray(nameMax - kRingtonePrefix.size() - 4, 'n') + ".mp3", // output at the limit
    };
    QList<QByteArray> songBytes;
    for (int i = 0; i < int(std::size(names)); ++i) {
        songBytes.append(patternBytes(40'000, i));
        songs.addFile(decodeFileName(names[i]), songBytes.last());
    }
    startWith(songs.path());
    ASSERT_EQ(entries().size(), qsizetype(std::size(names)));
    for (int i = 0; i < int(std::size(names)); ++i) {
        SCOPED_TRACE(names[i].left(40).toStdString());
        const QString name = decodeFileName(names[i]);
        const int entry = int(entries().indexOf(name));
        ASSERT_GE(entry, 0) << "not listed";
        EXPECT_EQ(m_player.item(entry).bytes(), QByteArray(encodeFileName(songs.path()) + names[i]));

        mark(name, 1, 2);
        selectRowOf(name);
        clickCut(ui().cutSelectedButton);
        EXPECT_EQ(takeMessages(), QStringList{kCutOk});
        EXPECT_EQ(programFile(kRingtonePrefix + names[i]), songBytes[i].mid(3'999, 4'000));
    }
    EXPECT_EQ(outputs().size(), qsizetype(std::size(names)));
    EXPECT_TRUE(rawEntries(work.path()).isEmpty());
}

// 晴天.mp3 twice in a GBK folder 歌曲: once from a Windows archive (GBK bytes), once written
// on Linux (UTF-8). Both show as 晴天.mp3 everywhere; each keeps its own file behind it.
TEST_F(Faults, NamesFromWindowsArchivesShowDecodedAndEveryFileOperationKeepsTheirBytes)
{
    const QByteArray gbkFolder = "\xb8\xe8\xc7\xfa";        // 歌曲
    const QByteArray gbkSong = "\xc7\xe7\xcc\xec.mp3";      // 晴天.mp3
    const QString shown = QStringLiteral(u"晴天.mp3");
    songs.addFolder(decodeFileName(gbkFolder));
    const QString folder = songs.path() + decodeFileName(gbkFolder) + QLatin1Char('/');
    const QString gbkName = decodeFileName(gbkSong);
    const QString utf8Name = shown;
    const QByteArray gbkBytes = patternBytes(40'000, 1);
    songs.addFile(decodeFileName(gbkFolder + '/' + gbkSong), gbkBytes);
    songs.addFile(decodeFileName(gbkFolder) + QLatin1Char('/') + utf8Name, patternBytes(40'000, 2));
    startWith(QString());
    m_desktop.folderAnswers = {folder};
    ui().songFolderItem->trigger();

    // Listed under their own names, both shown decoded; the folder too.
    ASSERT_EQ(entries().size(), 2);
    const int gbkEntry = int(entries().indexOf(gbkName));
    const int utf8Entry = int(entries().indexOf(utf8Name));
    ASSERT_GE(gbkEntry, 0);
    ASSERT_GE(utf8Entry, 0);
    for (int entry : {gbkEntry, utf8Entry})
        EXPECT_EQ(ui().songFiles->index(entry).data().toString(), shown);
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + displayPath(songs.path()) + QStringLiteral(u"歌曲/"));
    EXPECT_EQ(window().session().songFolder().bytes(), encodeFileName(folder));

    // Played and marked: songNameLabel shows the name, the marks go to the file's own row.
    mark(gbkName, 1, 2);
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：") + shown);
    EXPECT_EQ(encodeFileName(m_player.currentSource().text()), encodeFileName(folder) + gbkSong);
    mark(utf8Name, 3, 4);
    ASSERT_EQ(ui().songList->rowCount(), 2);
    const int gbkRow = ui().songList->rowOfSong(gbkName);
    ASSERT_GE(gbkRow, 0);
    EXPECT_EQ(ui().songList->cell(gbkRow, SongListModel::Start), QStringLiteral("1"));
    EXPECT_EQ(ui().songList->index(gbkRow, SongListModel::Name).data().toString(), shown);

    // The search finds both by what is shown, and choosing one selects that very entry.
    SearchComboBox *box = ui().searchBox;
    box->lineEdit()->selectAll();
    for (const QChar c : QStringLiteral(u"晴天")) { // typed as an input method commits it
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box->lineEdit(), &key);
    }
    box->showPopup();
    ASSERT_EQ(box->count(), 2);
    for (int item = 0; item < 2; ++item) {
        EXPECT_EQ(box->itemText(item), shown);
        box->setCurrentIndex(item);
        Q_EMIT box->activated(item);
        EXPECT_EQ(ui().songFiles->stringList().value(ui().songFileList->currentIndex().row()),
                  box->itemData(item).toString());
    }
    box->hidePopup();

    // The cut reads the GBK file and names the ringtone with its bytes.
    selectRowOf(gbkName);
    clickCut(ui().cutSelectedButton);
    EXPECT_EQ(takeMessages(), QStringList{kCutOk});
    EXPECT_EQ(programFile(kRingtonePrefix + gbkSong), gbkBytes.mid(3'999, 4'000));
}

TEST_F(Faults, ANameTooLongForItsOutputFailsTheCutAndLeavesNothing)
{
    // The longest name a folder can hold: "[铃声]" in front makes a name no folder takes.
    const long nameMax = ::pathconf(encodeFileName(songs.path()).constData(), _PC_NAME_MAX);
    const QByteArray longest = QByteArray(nameMax - 4, 'n') + ".mp3";
    songs.addFile(decodeFileName(longest), patternBytes(40'000));
    startWith(songs.path());
    ASSERT_EQ(entries().size(), 1);
    mark(decodeFileName(longest), 1, 2);
    selectRowOf(decodeFileName(longest));
    clickCut(ui().cutSelectedButton);
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages[0].text, kCutFailed);
    EXPECT_EQ(m_desktop.messages[0].style, MessageStyle::Exclamation);
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(rawEntries(work.path()).isEmpty());
}

// ---- Outputs that cannot be written -----------------------------------------------------

TEST_F(Faults, OutputsThatCannotBeWrittenAreReportedAndKeepTheOlderFiles)
{
    const QByteArray a = patternBytes(40'000, 1);
    songs.addFile(QStringLiteral("a.mp3"), a);
    songs.addFile(QStringLiteral("b.mp3"), patternBytes(40'000, 2));
    startWith(songs.path());
    mark(QStringLiteral("a.mp3"), 1, 2);
    mark(QStringLiteral("b.mp3"), 1, 2);
    const QByteArray cutName = kRingtonePrefix + "a.mp3";
    const QByteArray mergedName = encodeFileName(kMerged);
    const QList<QByteArray> outputNames{cutName, kRingtonePrefix + "b.mp3", mergedName};

    struct Case {
        const char *what;
        std::function<void()> breakIt;
        std::function<void()> repair;
    };
    std::unique_ptr<FileSizeLimit> limit;
    const QByteArray inner = encodeFileName(work.path()) + "/gone";
    const Case cases[] = {
        {"working directory removed",
         [&] {
             ASSERT_EQ(::mkdir(inner.constData(), 0755), 0);
             ASSERT_EQ(::chdir(inner.constData()), 0);
             ASSERT_EQ(::rmdir(inner.constData()), 0);
         },
         [&] { ASSERT_EQ(::chdir(encodeFileName(work.path()).constData()), 0); }},
        {"folders hold the output names",
         [&] {
             for (const QByteArray &name : outputNames)
                 ASSERT_EQ(::mkdir(name.constData(), 0755), 0);
         },
         [&] {
             for (const QByteArray &name : outputNames)
                 ASSERT_EQ(::rmdir(name.constData()), 0);
         }},
        {"disk full part way", [&] { limit = std::make_unique<FileSizeLimit>(1000); }, [&] { limit.reset(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        takeMessages();
        {
            QFile older(programDirectory() + QStringLiteral(u"/[铃声]a.mp3"));
            ASSERT_TRUE(older.open(QIODevice::WriteOnly));
            older.write("older cut");
        }
        {
            QFile older(programDirectory() + u'/' + kMerged);
            ASSERT_TRUE(older.open(QIODevice::WriteOnly));
            older.write("older merge");
        }
        const QList<QByteArray> workBefore = rawEntries(work.path());
        c.breakIt();
        selectRowOf(QStringLiteral("a.mp3"));
        clickCut(ui().cutSelectedButton);
        clickCut(ui().cutAllButton);
        clickCut(ui().mergeAllButton);
        c.repair();

        ASSERT_EQ(m_desktop.messages.size(), 2);
        EXPECT_EQ(m_desktop.messages[0].text, kCutFailed);
        EXPECT_EQ(m_desktop.messages[0].style, MessageStyle::Exclamation);
        EXPECT_EQ(m_desktop.messages[0].title, QStringLiteral(u"提示"));
        EXPECT_EQ(m_desktop.messages[1].text, QStringLiteral(u"剪切成功：0首。剪切失败：2首！"));
        EXPECT_EQ(programFile(cutName), "older cut");
        EXPECT_EQ(programFile(mergedName), "older merge");
        EXPECT_EQ(outputs().size(), 2);
        EXPECT_EQ(rawEntries(work.path()), workBefore) << "a half-written file is left";
    }

    // With the writes possible again, the same clicks succeed.
    takeMessages();
    selectRowOf(QStringLiteral("a.mp3"));
    clickCut(ui().cutSelectedButton);
    EXPECT_EQ(takeMessages(), QStringList{kCutOk});
    EXPECT_EQ(programFile(cutName), a.mid(3'999, 4'000));
}

TEST_F(Faults, AProgramDirectoryThatCannotTakeTheOutputLeavesItInTheWorkingDirectory)
{
    const QByteArray a = patternBytes(40'000, 1);
    songs.addFile(QStringLiteral("a.mp3"), a);
    startWith(songs.path());
    mark(QStringLiteral("a.mp3"), 1, 2);
    // A folder named like the output inside the program directory stops the move.
    ASSERT_TRUE(QDir(programDirectory()).mkdir(QStringLiteral(u"[铃声]a.mp3")));
    selectRowOf(QStringLiteral("a.mp3"));
    clickCut(ui().cutSelectedButton);
    // The cut succeeded, and the box says where the ringtone is, since it is not where
    // ringtones go.
    ASSERT_EQ(m_desktop.messages.size(), 1);
    EXPECT_EQ(m_desktop.messages[0].text, kCutOk + QStringLiteral(u"\n铃声无法移到程序目录，留在：") + work.path());
    EXPECT_EQ(m_desktop.messages[0].style, MessageStyle::Exclamation);
    takeMessages();
    EXPECT_EQ(rawContents(encodeFileName(work.path()) + '/' + kRingtonePrefix + "a.mp3"), a.mid(3'999, 4'000));
    EXPECT_TRUE(QFileInfo(programDirectory() + QStringLiteral(u"/[铃声]a.mp3")).isDir());
}

// ---- Scale ------------------------------------------------------------------------------

// A library of a hundred thousand songs (empty files: only their names count here).
TEST_F(Faults, AHundredThousandSongsStayUsable)
{
    constexpr int kSongs = 100'000;
    const QByteArray folder = encodeFileName(songs.path());
    for (int i = 0; i < kSongs; ++i) {
        const QByteArray path = folder + "song " + QByteArray::number(i).rightJustified(6, '0') + ".mp3";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    startWith(songs.path());
    ASSERT_EQ(entries().size(), kSongs);
    ASSERT_EQ(m_player.itemCount(), kSongs);
    EXPECT_EQ(entries().first(), QStringLiteral("song 099999.mp3"));

    // The list scrolls and selects by keyboard.
    QListView *list = ui().songFileList;
    list->setFocus();
    list->setCurrentIndex(ui().songFiles->index(0));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), kSongs - 1);
    QTest::keyClick(list, Qt::Key_PageUp);
    EXPECT_LT(list->currentIndex().row(), kSongs - 1);
    QTest::qWait(10);

    // The search drop-down builds, for a few matches and for every song.
    SearchComboBox *box = ui().searchBox;
    QTest::keyClicks(box->lineEdit(), QStringLiteral("SONG 09999"));
    box->showPopup();
    EXPECT_EQ(box->count(), 10);
    box->hidePopup();
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("mp3"));
    box->showPopup();
    EXPECT_EQ(box->count(), kSongs);
    box->hidePopup();
    list->setCurrentIndex(ui().songFiles->index(0));
    Q_EMIT box->activated(kSongs - 1);
    EXPECT_EQ(selectedRow(list), kSongs - 1);
}

TEST_F(Faults, AThousandMarkedRowsAreCutAndMerged)
{
    constexpr int kRows = 1000;
    QStringList names;
    for (int i = 0; i < kRows; ++i) {
        names << QStringLiteral("song %1.mp3").arg(i, 4, 10, QLatin1Char('0'));
        songs.addFile(names.last(), patternBytes(4'000, i));
    }
    startWith(songs.path());
    ASSERT_EQ(entries().size(), kRows);
    // 4 bytes per millisecond; 0.25 s to 0.5 s is 1000 bytes from position 1000.
    for (const QString &name : names)
        mark(name, 0.25, 0.5, 1);
    ASSERT_EQ(ui().songList->rowCount(), kRows);

    QTreeView *view = ui().songListView;
    view->setFocus();
    view->setCurrentIndex(ui().songList->index(0, 0));
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->currentIndex().row(), kRows - 1);

    clickCut(ui().cutAllButton);
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral(u"剪切成功：1000首。剪切失败：0首！")});
    EXPECT_EQ(outputs().size(), kRows);
    clickCut(ui().mergeAllButton);
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral(u"合并成功：1000首。合并失败：0首！")});
    // Rows were added at the top: the bottom row is the first song marked.
    QByteArray expected;
    for (int i = 0; i < kRows; ++i)
        expected += patternBytes(4'000, i).mid(999, 1'000);
    EXPECT_EQ(programFile(encodeFileName(kMerged)), expected);
}
