#include "support/songfolder.h"
#include "support/filepaths.h"
#include "support/windowfixture.h"

#include "app/mainwindowui.h"
#include "platform/files/filenames.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QStringListModel>

using namespace tunora;
using namespace tunora::test;

// Songs opened from outside the window: the saved song folder is another one.
class OpenFromOutside : public WindowFixture {
protected:
    SongFolder saved;
    SongFolder songs;

    void SetUp() override
    {
        saved.addFiles({QStringLiteral("old.mp3")});
        songs.addFiles({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("notes.wav")});
        writeSettingsGbk(QStringLiteral(u"[歌曲目录]\r\n路径=") + saved.path()
                         + QStringLiteral(u"\r\n[音乐格式]\r\n格式=mp3\r\n"));
        start();
        m_player.clearLog();
    }

    int selectedEntry() const
    {
        const QModelIndexList rows = m_window->ui().songFileList->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }

    // Message boxes show once the opening has returned.
    QList<FakeDesktop::Message> messagesShown()
    {
        QCoreApplication::processEvents();
        return m_desktop.messages;
    }
};

TEST_F(OpenFromOutside, TheSongsFolderBecomesTheSongFolderAndTheSongPlaysAsADoubleClickPlaysIt)
{
    ASSERT_TRUE(window().openSongFiles({FilePath(songs.path() + QStringLiteral("a.mp3"))}));

    // As 歌曲目录 sets a folder: held, shown, stored and listed.
    EXPECT_EQ(session().songFolder().text(), songs.path());
    EXPECT_EQ(ui().songFolderLabel->text(), QStringLiteral(u"歌曲路径：") + songs.path());
    EXPECT_TRUE(settingsLines().contains(QStringLiteral(u"路径=") + songs.path() + QStringLiteral("\n")))
        << settingsLines().toStdString();
    EXPECT_EQ(ui().songFiles->stringList(), QStringList({QStringLiteral("b.mp3"), QStringLiteral("a.mp3")}));
    EXPECT_EQ(m_player.playlist(), filePaths({songs.path() + QStringLiteral("b.mp3"), songs.path() + QStringLiteral("a.mp3")}));
    // As a double-click on its entry: selected, its playlist item played, named in songNameLabel.
    EXPECT_EQ(selectedEntry(), 1);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 1")}));
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：a.mp3"));
    EXPECT_TRUE(messagesShown().isEmpty());
}

TEST_F(OpenFromOutside, WhatCannotPlayIsReportedAndChangesNothing)
{
    songs.addFolder(QStringLiteral("album.mp3"));
    struct Case {
        const char *what;
        QString path;
        QString messageHas;
    };
    const Case cases[] = {
        {"no such file", songs.path() + QStringLiteral("missing.mp3"), QStringLiteral(u"不存在或不可读取")},
        {"a folder named like a song", songs.path() + QStringLiteral("album.mp3"), QStringLiteral(u"不存在或不可读取")},
        {"a kind the format does not list", songs.path() + QStringLiteral("notes.wav"), QStringLiteral(u"音乐格式（mp3）")},
        {"an empty path", QString(), QStringLiteral(u"不存在或不可读取")},
    };
    const QString settingsBefore = settingsLines();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_desktop.messages.clear();
        EXPECT_FALSE(window().openSongFiles({FilePath(c.path)}));
        EXPECT_TRUE(m_player.log().isEmpty()) << m_player.log().join(u',').toStdString();
        EXPECT_EQ(session().songFolder().text(), saved.path());
        EXPECT_EQ(ui().songFiles->stringList(), QStringList({QStringLiteral("old.mp3")}));
        EXPECT_EQ(settingsLines(), settingsBefore);
        const QList<FakeDesktop::Message> shown = messagesShown();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].title, QStringLiteral(u"错误"));
        EXPECT_EQ(shown[0].style, MessageStyle::Error);
        EXPECT_TRUE(shown[0].text.contains(c.path)) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains(c.messageHas)) << shown[0].text.toStdString();
    }
}

TEST_F(OpenFromOutside, TheFirstSongThatOpensPlaysAndThoseBeforeItAreReported)
{
    const QString missing = songs.path() + QStringLiteral("missing.mp3");
    ASSERT_TRUE(window().openSongFiles({FilePath(missing), FilePath(songs.path() + QStringLiteral("b.mp3")), FilePath(songs.path() + QStringLiteral("a.mp3"))}));
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem 0")}));
    EXPECT_EQ(ui().songNameLabel->text(), QStringLiteral(u"歌曲名：b.mp3"));
    const QList<FakeDesktop::Message> shown = messagesShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].text.contains(missing));
}

TEST_F(OpenFromOutside, ANameThatIsNotUtf8OpensByteForByte)
{
    const QString name = decodeFileName(QByteArray("\xb8\xe8.mp3")); // GBK 歌
    songs.addFile(name);
    ASSERT_TRUE(window().openSongFiles({FilePath(songs.path() + name)}));
    ASSERT_GE(selectedEntry(), 0);
    EXPECT_EQ(ui().songFiles->stringList().at(selectedEntry()), name);
    EXPECT_EQ(m_player.log(), QStringList({QStringLiteral("playItem %1").arg(selectedEntry())}));
}
