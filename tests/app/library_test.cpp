#include "support/songfolder.h"
#include "support/windowfixture.h"

#include "app/controls/searchcombobox.h"
#include "library/songlistmodel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTest>
#include <QTreeView>

using namespace tunora;
using namespace tunora::test;

class Library : public WindowFixture {
protected:
    SongFolder songs;

    // Settings holding a song folder and a format; the window started over them.
    void startWith(const QString &folder, const QString &format)
    {
        writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + folder + QStringLiteral(u"\r\n[音乐格式]\r\n格式=")
                         + format + QStringLiteral("\r\n"));
        start();
    }
    QStringList entries() { return ui().songFiles->stringList(); }
    QList<FilePath> pathsIn(const QString &folder, const QStringList &names) const
    {
        QList<FilePath> paths;
        for (const QString &name : names)
            paths.append(FilePath(folder + name));
        return paths;
    }
    QString storedFolder() const
    {
        const QString text = settingsLines();
        const QString key = QStringLiteral(u"路径=");
        const qsizetype at = text.indexOf(key);
        return at < 0 ? QString() : text.mid(at + key.size()).section(QLatin1Char('\n'), 0, 0);
    }
};

TEST_F(Library, ScanListsTheLastFindFirstInStepWithThePlaylist)
{
    songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.wma")});
    startWith(songs.path(), QStringLiteral("mp3,wma"));
    const QStringList expected = {QStringLiteral("c.wma"), QStringLiteral("b.mp3"), QStringLiteral("a.mp3")};
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(m_player.playlist(), pathsIn(songs.path(), expected));
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + songs.path());
    EXPECT_EQ(storedFolder(), songs.path());
    // Filling the lists starts nothing.
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

TEST_F(Library, AFormatNamedTwiceListsEveryFileTwice)
{
    songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    startWith(songs.path(), QStringLiteral("mp3,mp3"));
    const QStringList expected = {QStringLiteral("b.mp3"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3"),
                                  QStringLiteral("a.mp3")};
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(m_player.playlist(), pathsIn(songs.path(), expected));
}

TEST_F(Library, EmptyFormatPiecesAreSkipped)
{
    songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("dot."), QStringLiteral("c.wma")});
    struct Case { QString format; QStringList expected; };
    const Case cases[] = {
        {QString(), {}},
        {QStringLiteral("mp3,"), {QStringLiteral("a.mp3")}},
        {QStringLiteral("mp3,,wma"), {QStringLiteral("c.wma"), QStringLiteral("a.mp3")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format.toStdString());
        startWith(songs.path(), c.format);
        EXPECT_EQ(entries(), c.expected);
        EXPECT_EQ(m_player.playlist(), pathsIn(songs.path(), c.expected));
    }
}

TEST_F(Library, UpperCaseExtensionsAreFoundAndFoldersNamedLikeSongsAreNot)
{
    songs.addFiles({QStringLiteral("LOUD.MP3"), QStringLiteral("quiet.mp3")});
    songs.addFolder(QStringLiteral("album.mp3"));
    startWith(songs.path(), QStringLiteral("mp3"));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("quiet.mp3"), QStringLiteral("LOUD.MP3")}));
    EXPECT_EQ(m_player.itemCount(), 2);
}

TEST_F(Library, AMissingFolderGivesEmptyListsAndNoMessage)
{
    const QString missing = songs.path() + QStringLiteral("gone/");
    startWith(missing, QStringLiteral("mp3"));
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(m_player.itemCount(), 0);
    EXPECT_TRUE(m_desktop.messages.isEmpty());
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + missing);
}

TEST_F(Library, AStoredFolderWithoutSeparatorIsThatFolder)
{
    songs.addFile(QStringLiteral("inside.mp3"));
    // A file beside the folder whose name starts like the folder must not be listed.
    QString bare = songs.path();
    bare.chop(1);
    const QString sibling = bare + QStringLiteral("x.mp3");
    QFile siblingFile(sibling);
    ASSERT_TRUE(siblingFile.open(QIODevice::WriteOnly));
    siblingFile.close();

    startWith(bare, QStringLiteral("mp3"));
    QFile::remove(sibling);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("inside.mp3")}));
    EXPECT_EQ(m_player.playlist(), pathsIn(songs.path(), {QStringLiteral("inside.mp3")}));
    EXPECT_EQ(storedFolder(), songs.path());
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + songs.path());
}

TEST_F(Library, RefreshWithoutFolderScansTheProgramDirectory)
{
    start();
    QFile song(QDir(programDirectory()).filePath(QStringLiteral("here.mp3")));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.close();
    writeSettingsGbk(settingsLines() + QStringLiteral(u"[音乐格式]\n格式=mp3\n"));

    QTest::mouseClick(ui().refreshButton, Qt::LeftButton);
    const QString folder = programDirectory() + QLatin1Char('/');
    EXPECT_EQ(session().songFolder().text(), folder);
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + folder);
    EXPECT_EQ(storedFolder(), folder);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("here.mp3")}));
    EXPECT_EQ(m_player.playlist(), pathsIn(folder, {QStringLiteral("here.mp3")}));
}

TEST_F(Library, RefreshRescansTheSameFolder)
{
    songs.addFile(QStringLiteral("a.mp3"));
    startWith(songs.path(), QStringLiteral("mp3"));
    songs.addFile(QStringLiteral("b.mp3"));
    QTest::mouseClick(ui().refreshButton, Qt::LeftButton);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("b.mp3"), QStringLiteral("a.mp3")}));
    EXPECT_EQ(session().songFolder().text(), songs.path());
}

TEST_F(Library, ChooserCancelChangesNothing)
{
    songs.addFile(QStringLiteral("a.mp3"));
    startWith(songs.path(), QStringLiteral("mp3"));
    const QByteArray settingsBefore = settingsBytes();
    ui().songFolderItem->trigger();
    EXPECT_EQ(m_desktop.browseTitles, QStringList({QStringLiteral(u"选择音乐文件夹")}));
    EXPECT_EQ(m_desktop.browseStarts, QStringList({songs.path()}));
    EXPECT_EQ(session().songFolder().text(), songs.path());
    EXPECT_EQ(entries(), QStringList({QStringLiteral("a.mp3")}));
    EXPECT_EQ(m_player.itemCount(), 1);
    EXPECT_EQ(settingsBytes(), settingsBefore);
}

TEST_F(Library, ChooserAddsOneSeparatorAndScans)
{
    songs.addFile(QStringLiteral("a.mp3"));
    SongFolder other;
    other.addFiles({QStringLiteral("x.mp3"), QStringLiteral("y.mp3")});
    startWith(songs.path(), QStringLiteral("mp3"));
    QString bare = other.path();
    bare.chop(1);
    struct Case { QString answer; QString folder; };
    const Case cases[] = {{bare, other.path()}, {other.path(), other.path()}, {QStringLiteral("/"), QStringLiteral("/")}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        m_desktop.folderAnswers = {c.answer};
        ui().songFolderItem->trigger();
        EXPECT_EQ(session().songFolder().text(), c.folder);
        EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + c.folder);
        EXPECT_EQ(storedFolder(), c.folder);
        if (c.folder != QStringLiteral("/")) {
            EXPECT_EQ(entries(), QStringList({QStringLiteral("y.mp3"), QStringLiteral("x.mp3")}));
            EXPECT_EQ(m_player.playlist(), pathsIn(c.folder, entries()));
        }
    }
}

TEST_F(Library, ARescanKeepsTheMarksAndEverythingButTheLists)
{
    songs.addFile(QStringLiteral("a.mp3"));
    startWith(songs.path(), QStringLiteral("mp3"));
    ui().songList->insertSong(0, QStringLiteral("elsewhere.mp3"));
    ui().songList->setCell(0, SongListModel::Start, QStringLiteral("1.5"));
    ui().songList->insertSong(0, QStringLiteral("a.mp3"));
    ui().songList->setCell(0, SongListModel::End, QStringLiteral("20"));
    ui().songListView->setCurrentIndex(ui().songList->index(1, 0));
    ui().songNameLabel->setName(QStringLiteral("a.mp3"));
    ui().searchBox->setEditText(QStringLiteral("typed"));
    m_player.clearLog();

    m_desktop.folderAnswers = {songs.path() + QStringLiteral("missing")};
    ui().songFolderItem->trigger();
    EXPECT_TRUE(entries().isEmpty());
    ASSERT_EQ(ui().songList->rowCount(), 2);
    EXPECT_EQ(ui().songList->cell(0, SongListModel::Name), QStringLiteral("a.mp3"));
    EXPECT_EQ(ui().songList->cell(0, SongListModel::End), QStringLiteral("20"));
    EXPECT_EQ(ui().songList->cell(1, SongListModel::Name), QStringLiteral("elsewhere.mp3"));
    EXPECT_EQ(ui().songList->cell(1, SongListModel::Start), QStringLiteral("1.5"));
    EXPECT_EQ(ui().songListView->currentIndex().row(), 1);
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：a.mp3"));
    EXPECT_EQ(ui().searchBox->currentText(), QStringLiteral("typed"));
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
}

class SearchBox : public Library {
protected:
    void SetUp() override
    {
        songs.addFiles({QStringLiteral("I love you.mp3"), QStringLiteral("LOVE STORY.mp3"), QStringLiteral("other.mp3"),
                        QStringLiteral("Glove.mp3")});
        startWith(songs.path(), QStringLiteral("mp3"));
        m_player.clearLog();
    }
    SearchComboBox *box() { return ui().searchBox; }
    // Typing over whatever the box holds; empty text deletes it.
    void type(const QString &text)
    {
        box()->lineEdit()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box()->lineEdit(), Qt::Key_Backspace);
        else
            QTest::keyClicks(box()->lineEdit(), text);
    }
    QStringList dropDown()
    {
        box()->showPopup();
        QStringList items;
        for (int i = 0; i < box()->count(); ++i)
            items.append(box()->itemText(i));
        return items;
    }
    void TearDown() override { box()->hidePopup(); }
};

TEST_F(SearchBox, ListsTheSongsContainingTheTextInAnyLetterCaseInListOrder)
{
    // Song-file list order: other, LOVE STORY, I love you, Glove.
    ASSERT_EQ(entries(), QStringList({QStringLiteral("other.mp3"), QStringLiteral("LOVE STORY.mp3"),
                                      QStringLiteral("I love you.mp3"), QStringLiteral("Glove.mp3")}));
    for (const QString &typed : {QStringLiteral("LOVE"), QStringLiteral("love"), QStringLiteral("lOvE")}) {
        SCOPED_TRACE(typed.toStdString());
        type(typed);
        EXPECT_EQ(window().context().searchText, typed);
        EXPECT_EQ(dropDown(), QStringList({QStringLiteral("LOVE STORY.mp3"), QStringLiteral("I love you.mp3"),
                                           QStringLiteral("Glove.mp3")}));
        // The typed text stays in the box although its entries were rebuilt.
        EXPECT_EQ(box()->currentText(), typed);
        box()->hidePopup();
    }
}

TEST_F(SearchBox, EmptyTextOpensAnEmptyDropDown)
{
    type(QStringLiteral("love"));
    EXPECT_EQ(dropDown().size(), 3);
    box()->hidePopup();
    type(QString());
    EXPECT_TRUE(window().context().searchText.isEmpty());
    EXPECT_TRUE(dropDown().isEmpty());
    EXPECT_TRUE(box()->currentText().isEmpty());
}

TEST_F(SearchBox, ChoosingAnEntrySelectsThatSongWithoutPlayingIt)
{
    type(QStringLiteral("love"));
    ASSERT_EQ(dropDown().size(), 3);
    // Pick "I love you.mp3" in the open drop-down the way a user does.
    QAbstractItemView *view = box()->view();
    const QModelIndex item = view->model()->index(1, 0);
    view->setCurrentIndex(item);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(ui().songFileList->currentIndex().row(), 2);
    EXPECT_TRUE(ui().songFileList->selectionModel()->isRowSelected(2, {}));
    EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
    // The search text is still what was typed, so the next drop-down lists the same songs.
    EXPECT_EQ(window().context().searchText, QStringLiteral("love"));
    EXPECT_EQ(dropDown().size(), 3);
}
