// A program whose stream-copy module cannot be used, built once with a stale module beside it
// and once with none (TUNORA_EXPECTED_PROBLEM is what the user is told): the cuts that need the
// module fail and say why, the others are made as ever.
#include "support/songfolder.h"
#include "support/windowfixture.h"

#include "app/controls/listselection.h"
#include "cutting/songfiles.h"
#include "cutting/streamcopyabi.h"
#include "platform/files/programmodule.h"
#include "app/songlistrows.h"

#include <QDir>
#include <QPushButton>
#include <QTreeView>
#include <QTemporaryDir>

using namespace tunora;
using namespace tunora::test;
using namespace tunora::testing;
using namespace Qt::StringLiterals;

class UnusableStreamCopyModule : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_songs.isValid() && m_workDir.isValid());
        // A FLAC song by its content; the cut needs the module before it reads any further.
        m_songs.addFile(u"song.flac"_s, "fLaC" + patternBytes(16'000, 1));
        m_songs.addFile(u"a.mp3"_s, patternBytes(16'000, 2));
        m_previousDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_workDir.path()));
        start();
        showSongFolder(m_songs.path());
    }
    void TearDown() override { QDir::setCurrent(m_previousDir); }

    QStringList outputs() const
    {
        QStringList names = entriesOf(programDirectory()) + entriesOf(m_workDir.path());
        names.removeIf([](const QString &name) { return !name.startsWith(u"[铃声]"_s); });
        return names;
    }
    // The message's lines: the outcome as ever, then why the module cannot be used.
    QStringList onlyMessageLines() const
    {
        if (m_desktop.messages.size() != 1) {
            ADD_FAILURE() << m_desktop.messages.size() << " messages";
            return {};
        }
        EXPECT_EQ(m_desktop.messages[0].title, u"提示"_s);
        return m_desktop.messages[0].text.split(u'\n');
    }

    SongFolder m_songs;
    QTemporaryDir m_workDir;
    QString m_previousDir;
};

TEST_F(UnusableStreamCopyModule, ACutThatNeedsTheModuleFailsAndSaysWhy)
{
    appendRow(*ui().songList, {u"song.flac"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    selectRow(ui().songListView, 0);
    clickCut(ui().cutSelectedButton);

    const QStringList lines = onlyMessageLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], u"剪切失败！"_s);
    EXPECT_TRUE(lines[1].startsWith(u"无法使用剪切模块："_s)) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QLatin1String(TUNORA_EXPECTED_PROBLEM))) << lines[1].toStdString();
    EXPECT_EQ(m_desktop.messages[0].style, MessageStyle::Exclamation);
    EXPECT_TRUE(outputs().isEmpty()) << outputs().join(u' ').toStdString();
}

TEST_F(UnusableStreamCopyModule, CutAllCountsSuchRowsAsFailedAndSaysWhy)
{
    appendRow(*ui().songList, {u"song.flac"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    appendRow(*ui().songList, {u"a.mp3"_s, u"0.25"_s, u"0.5"_s, u"0.25"_s, u"1"_s});
    clickCut(ui().cutAllButton);

    const QStringList lines = onlyMessageLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], u"剪切成功：1首。剪切失败：1首！"_s);
    EXPECT_TRUE(lines[1].contains(QLatin1String(TUNORA_EXPECTED_PROBLEM))) << lines[1].toStdString();
    EXPECT_EQ(outputs(), QStringList{u"[铃声]a.mp3"_s});
}

TEST_F(UnusableStreamCopyModule, TheModuleThisTreeBuildsWouldBeTaken)
{
    const ModuleEntry module = openProgramModule(FilePath(QStringLiteral(TUNORA_STREAMCOPY_MODULE_FILE)),
                                                 {TUNORA_STREAM_COPY_VERSION_SYMBOL, TUNORA_STREAM_COPY_VERSION,
                                                  {TUNORA_STREAM_COPY_ENTRY_SYMBOL, TUNORA_STREAM_DECODE_SYMBOL,
                                                   TUNORA_FLAC_GAIN_SYMBOL}});
    EXPECT_EQ(module.entries.size(), 3u) << module.error.toStdString();
}
