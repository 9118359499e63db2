#include "support/fakeplayer.h"
#include "support/songfolder.h"

#include "app/controls/folderchooser.h"
#include "app/window/mainwindow.h"
#include "app/window/mainwindowui.h"
#include "app/desktop/qtdesktop.h"
#include "platform/files/filenames.h"
#include "platform/files/gbkcodec.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QTemporaryDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>
#include <QTest>
#include <QTimer>

using namespace tunora;
using namespace tunora::test;

namespace {

// 歌曲 as a Windows archive leaves it: GBK bytes, not valid UTF-8.
const QByteArray kGbkName("\xb8\xe8\xc7\xfa");
// Bytes that are neither UTF-8 nor GBK.
const QByteArray kBrokenName("\xff\xfe");

QListWidget *entriesOf(const FolderChooser &chooser)
{
    return chooser.findChild<QListWidget *>(QStringLiteral("subfolders"));
}

QStringList shownEntries(const FolderChooser &chooser)
{
    QStringList texts;
    const QListWidget *list = entriesOf(chooser);
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QPoint centreOf(const QListWidget *list, int row)
{
    return list->visualItemRect(list->item(row)).center();
}

void clickEntry(const FolderChooser &chooser, int row)
{
    QTest::mouseClick(entriesOf(chooser)->viewport(), Qt::LeftButton, {}, centreOf(entriesOf(chooser), row));
}

void openEntry(const FolderChooser &chooser, int row)
{
    QListWidget *list = entriesOf(chooser);
    const QPoint at = centreOf(list, row);
    // Qt sends press, release, double-click, release for a double-click.
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QLineEdit *pathBoxOf(const FolderChooser &chooser)
{
    return chooser.findChild<QLineEdit *>(QStringLiteral("folderPath"));
}

// Types into the path box over what it shows, as after selecting it all. QTest types ASCII
// only: other text is pasted.
void editPath(const FolderChooser &chooser, const QString &path)
{
    QLineEdit *box = pathBoxOf(chooser);
    box->setFocus();
    box->selectAll();
    bool ascii = true;
    for (QChar c : path)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii && !path.isEmpty())
        QTest::keyClicks(box, path);
    else
        box->insert(path);
}

void typePath(const FolderChooser &chooser, const QString &path)
{
    editPath(chooser, path);
    QTest::keyClick(pathBoxOf(chooser), Qt::Key_Return);
}

void pressOk(const FolderChooser &chooser)
{
    QTest::mouseClick(chooser.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

QString problemOf(const FolderChooser &chooser)
{
    return chooser.findChild<QLabel *>(QStringLiteral("folderProblem"))->text();
}

QString withoutSeparator(QString folder)
{
    folder.chop(1);
    return folder;
}

} // namespace

TEST(FolderChooser, KeepsTheBytesOfFolderNamesThatAreNotUtf8)
{
    SongFolder root;
    root.addFolder(QStringLiteral(u"歌曲"));
    root.addFolder(decodeFileName(kGbkName));
    root.addFolder(decodeFileName(kBrokenName));
    root.addFolder(QStringLiteral(".hidden"));
    root.addFile(QStringLiteral("a.mp3"));
    const QString top = withoutSeparator(root.path());
    const QByteArray topBytes = encodeFileName(top);

    FolderChooser chooser(QStringLiteral(u"选择音乐文件夹"), FilePath(top));
    chooser.show();
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral(u"选择音乐文件夹"));
    // Folders only, hidden ones left out; the GBK name reads as GBK, the broken one shows
    // a replacement character for each byte.
    EXPECT_EQ(shownEntries(chooser), QStringList({QStringLiteral(".."), QStringLiteral(u"歌曲"),
                                                  QStringLiteral(u"歌曲"), QStringLiteral(u"\uFFFD\uFFFD")}));

    struct Case { int row; QByteArray name; };
    for (const Case &c : {Case{1, QStringLiteral(u"歌曲").toUtf8()}, Case{2, kGbkName}, Case{3, kBrokenName}}) {
        SCOPED_TRACE(c.row);
        clickEntry(chooser, c.row);
        EXPECT_EQ(chooser.chosenFolder().bytes(), topBytes + '/' + c.name);
    }

    // Going into the GBK folder: its path is kept, and with nothing selected OK chooses it.
    openEntry(chooser, 2);
    EXPECT_EQ(chooser.shownFolder().bytes(), topBytes + '/' + kGbkName);
    EXPECT_EQ(chooser.chosenFolder().bytes(), topBytes + '/' + kGbkName);
    EXPECT_EQ(shownEntries(chooser), QStringList({QStringLiteral("..")}));
    EXPECT_TRUE(pathBoxOf(chooser)->text().endsWith(QStringLiteral(u"/歌曲")));
    // Return on the path box as shown (GBK read for the eye) keeps the folder's own bytes.
    QTest::keyClick(pathBoxOf(chooser), Qt::Key_Return);
    EXPECT_EQ(chooser.shownFolder().bytes(), topBytes + '/' + kGbkName);
    EXPECT_TRUE(problemOf(chooser).isEmpty());

    // ".." goes back up; choosing it chooses the folder shown, not its parent.
    openEntry(chooser, 0);
    EXPECT_EQ(chooser.shownFolder().text(), top);
    clickEntry(chooser, 0);
    EXPECT_EQ(chooser.chosenFolder().text(), top);

    // Return on an entry opens it and leaves the choice to 确定.
    QListWidget *list = entriesOf(chooser);
    list->setFocus();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(chooser.shownFolder().text(), top + QStringLiteral(u"/歌曲"));
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
    QTest::mouseClick(chooser.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.chosenFolder().text(), top + QStringLiteral(u"/歌曲"));

    chooser.showFolder(FilePath(QStringLiteral("/")));
    EXPECT_FALSE(shownEntries(chooser).contains(QStringLiteral("..")));
}

TEST(FolderChooser, OpensOnTheStartFolderElseHomeAndGoesWhereAPathIsTyped)
{
    SongFolder root;
    root.addFolder(QStringLiteral("a"));
    root.addFolder(QStringLiteral(u"b 乙"));
    const QString top = withoutSeparator(root.path());
    SongFolder home;
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", encodeFileName(withoutSeparator(home.path())));

    struct Start { QString given; QString shown; };
    for (const Start &s : {Start{root.path(), top}, Start{top + QStringLiteral("/a"), top + QStringLiteral("/a")},
                           Start{QString(), withoutSeparator(home.path())},
                           Start{top + QStringLiteral("/gone/"), withoutSeparator(home.path())}}) {
        SCOPED_TRACE(s.given.toStdString());
        FolderChooser chooser(QStringLiteral(u"选择音乐文件夹"), FilePath(s.given));
        EXPECT_EQ(chooser.shownFolder().text(), s.shown);
        EXPECT_EQ(pathBoxOf(chooser)->text(), s.shown);
    }
    qputenv("HOME", previousHome);

    FolderChooser chooser(QStringLiteral(u"选择音乐文件夹"), FilePath(QStringLiteral("/")));
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    // Typed or pasted, absolute or from the folder shown; Return goes there and does not
    // press 确定. A path that is no folder is said so, and the chooser stays where it was.
    struct Typed { QString text; QString shown; bool found; };
    const Typed cases[] = {
        {top + QStringLiteral("/a/"), top + QStringLiteral("/a"), true},
        {QStringLiteral(u"../b 乙"), top + QStringLiteral(u"/b 乙"), true},
        {top + QStringLiteral("/missing"), top + QStringLiteral(u"/b 乙"), false},
        {root.path() + QStringLiteral("a.mp3"), top + QStringLiteral(u"/b 乙"), false},
        {QString(), top + QStringLiteral(u"/b 乙"), true},
        {QStringLiteral("  ") + top + QStringLiteral("  "), top, true},
    };
    root.addFile(QStringLiteral("a.mp3"));
    for (const Typed &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        typePath(chooser, c.text);
        EXPECT_EQ(chooser.shownFolder().text(), c.shown);
        EXPECT_TRUE(chooser.isVisible());
        EXPECT_EQ(chooser.result(), QDialog::Rejected);
        if (c.found) {
            EXPECT_EQ(pathBoxOf(chooser)->text(), c.shown);
            EXPECT_TRUE(problemOf(chooser).isEmpty());
        } else {
            EXPECT_EQ(problemOf(chooser), QStringLiteral(u"找不到文件夹：") + c.text);
            EXPECT_EQ(pathBoxOf(chooser)->text(), c.text) << "the typed path stays to be corrected";
        }
    }
    EXPECT_EQ(shownEntries(chooser), QStringList({QStringLiteral(".."), QStringLiteral("a"), QStringLiteral(u"b 乙")}));

    // 确定 goes to a path typed without Return first: no folder there keeps the chooser open.
    editPath(chooser, top + QStringLiteral("/nowhere"));
    pressOk(chooser);
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
    EXPECT_EQ(problemOf(chooser), QStringLiteral(u"找不到文件夹：") + top + QStringLiteral("/nowhere"));
    editPath(chooser, top + QStringLiteral("/a"));
    pressOk(chooser);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.chosenFolder().text(), top + QStringLiteral("/a"));
}

TEST(FolderChooser, ATildeInThePathBoxIsTheHomeFolder)
{
    SongFolder home;
    home.addFolder(QStringLiteral("Music"));
    home.addFolder(decodeFileName(kGbkName));
    home.addFolder(QStringLiteral("~"));
    const QString homePath = withoutSeparator(home.path());
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", encodeFileName(homePath));

    FolderChooser chooser(QStringLiteral(u"选择音乐文件夹"), FilePath(QStringLiteral("/")));
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    struct Typed { QString text; QString shown; };
    const Typed cases[] = {
        {QStringLiteral("~"), homePath},
        {QStringLiteral("/"), QStringLiteral("/")},
        {QStringLiteral("~/Music"), homePath + QStringLiteral("/Music")},
        {QStringLiteral("~/"), homePath},
        {QStringLiteral("~/") + decodeFileName(kGbkName), homePath + u'/' + decodeFileName(kGbkName)},
        // Only a leading "~" alone or before "/" is the home folder; "./~" is a folder named so.
        {homePath + QStringLiteral("/Music/../~"), homePath + QStringLiteral("/~")},
    };
    for (const Typed &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        typePath(chooser, c.text);
        EXPECT_TRUE(problemOf(chooser).isEmpty()) << problemOf(chooser).toStdString();
        EXPECT_EQ(chooser.shownFolder().bytes(), encodeFileName(c.shown));
    }
    typePath(chooser, QStringLiteral("~Music"));
    EXPECT_EQ(problemOf(chooser), QStringLiteral(u"找不到文件夹：~Music"));
    qputenv("HOME", previousHome);
}

// The real desktop's chooser behind 歌曲目录, driven while it is modal as a user would: it
// opens on the song folder, and a folder named in GBK is scanned and stored byte for byte.
TEST(FolderChooser, SongFolderMenuScansAFolderWhoseNameIsNotUtf8)
{
    SongFolder start;
    start.addFolder(decodeFileName(kGbkName));
    start.addFile(decodeFileName(kGbkName + "/a.mp3"));

    QTemporaryDir programDir;
    {
        QFile settings(programDir.filePath(QStringLiteral(u"初始化配置.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(encodeGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + start.path()
                                 + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n")));
    }
    FakePlayer player;
    QtDesktop desktop;
    PlaybackSession session(player, FilePath(programDir.path()));
    MainWindow window(session, desktop);
    desktop.setParentWindow(&window);
    window.startUp();

    bool chosen = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        driver.stop();
        auto *chooser = qobject_cast<FolderChooser *>(modal);
        if (!chooser) {
            ADD_FAILURE() << "another dialog opened: " << modal->metaObject()->className();
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            return;
        }
        if (shownEntries(*chooser) != QStringList({QStringLiteral(".."), QStringLiteral(u"歌曲")})) {
            ADD_FAILURE() << "the chooser opened on " << chooser->shownFolder().text().toStdString();
            chooser->reject();
            return;
        }
        clickEntry(*chooser, 1);
        QTest::mouseClick(chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        chosen = true;
    });
    driver.start(10);
    window.ui().songFolderItem->trigger();
    ASSERT_TRUE(chosen);

    const QByteArray folder = encodeFileName(start.path()) + kGbkName + '/';
    EXPECT_EQ(window.ui().songFiles->stringList(), QStringList({QStringLiteral("a.mp3")}));
    ASSERT_EQ(player.playlist().size(), 1);
    EXPECT_EQ(player.playlist().constFirst().bytes(), folder + "a.mp3");
    QFile settings(programDir.filePath(QStringLiteral(u"初始化配置.ini")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains(folder));
}
