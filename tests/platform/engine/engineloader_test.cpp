#include "platform/engine/engineloader.h"
#include "platform/engine/mediaplayerproxy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tunora;

namespace {

constexpr int kTimeoutMs = 20000;

const QString kModule = QStringLiteral(TUNORA_ENGINE_MODULE_FILE);

QString fixture(const QString &name)
{
    return QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(name);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

TEST(EngineLoader, TheRealModulePlaysWhatWasAskedForBeforeItCameUp)
{
    MediaPlayerProxy player;
    QStringList events;
    QObject::connect(&player, &MediaPlayer::openStateChanged, &player, [&](int state) {
        events << QStringLiteral("open %1 %2").arg(state).arg(QFileInfo(player.currentSourceUrl()).fileName());
    });
    QObject::connect(&player, &MediaPlayer::playStateChanged, &player,
                     [&](int state) { events << QStringLiteral("state %1").arg(state); });
    // As start-up does it: the playlist, auto-play's next song and play, then the engine.
    player.setPlaylist({fixture(QStringLiteral("tone-1s.mp3")), fixture(QStringLiteral("tone-2s.mp3"))});
    player.next();
    player.play();

    EngineLoader loader(player);
    QSignalSpy failed(&loader, &EngineLoader::failed);
    loader.start(FilePath(kModule));
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains(QStringLiteral("state 3")) || !failed.isEmpty(); },
                                kTimeoutMs))
        << events.join(u',').toStdString();
    ASSERT_TRUE(failed.isEmpty()) << failed.at(0).at(0).toString().toStdString();
    EXPECT_TRUE(player.isAttached());
    EXPECT_EQ(events, QStringList({QStringLiteral("open 13 tone-1s.mp3"), QStringLiteral("state 3")}));
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_EQ(player.itemCount(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.currentPosition() > 0.2; }, kTimeoutMs));
    // The engine lives on this thread: its reports arrive here, as the window's handlers need.
    EXPECT_EQ(player.currentDuration().left(3), QStringLiteral("1.0"));
}

TEST(EngineLoader, AModuleThatCannotBeLoadedIsReportedAndAttachesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notAModule = dir.filePath(QStringLiteral("garbage.so"));
    ASSERT_TRUE(writeFile(notAModule, QByteArray(4096, 'x')));
    struct Case {
        const char *what;
        QString path;
    };
    const Case cases[] = {
        {"missing file", dir.filePath(QStringLiteral("none.so"))},
        {"not a shared object", notAModule},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MediaPlayerProxy player;
        player.play();
        EngineLoader loader(player);
        QSignalSpy failed(&loader, &EngineLoader::failed);
        loader.start(FilePath(c.path));
        ASSERT_TRUE(failed.wait(kTimeoutMs));
        EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());
        EXPECT_FALSE(player.isAttached());
        EXPECT_EQ(player.playState(), PlayState::Undefined);
    }
}

TEST(EngineLoader, QuittingWhileTheEngineComesUpEndsCleanly)
{
    MediaPlayerProxy player;
    {
        EngineLoader loader(player);
        loader.start(FilePath(kModule));
    }
    // The report of the finished load died with the loader; nothing is attached late.
    QTest::qWait(50);
    EXPECT_FALSE(player.isAttached());
}

TEST(EngineLoader, FindsTheModuleBesideTheProgramOrInItsLibraryFolder)
{
    const QString name = QFileInfo(kModule).fileName();
    struct Case {
        const char *what;
        QString moduleAt; // relative to the root; empty: nowhere
        QString expected;
    };
    const Case cases[] = {
        {"a build: beside the program", QStringLiteral("bin/") + name, QStringLiteral("bin/") + name},
        {"an installation", QStringLiteral("lib/tunora/") + name, QStringLiteral("lib/tunora/") + name},
        {"neither", QString(), QString()},
        {"a folder of that name is no module", QStringLiteral("bin/") + name + QStringLiteral("/x"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("bin")));
        if (!c.moduleAt.isEmpty()) {
            const QString path = root.filePath(c.moduleAt);
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
            ASSERT_TRUE(writeFile(path, "module"));
        }
        QString error;
        const QString found =
            EngineLoader::findModule(FilePath(root.filePath(QStringLiteral("bin"))), &error).text();
        if (c.expected.isEmpty()) {
            EXPECT_TRUE(found.isEmpty()) << found.toStdString();
            EXPECT_TRUE(error.contains(name)) << error.toStdString();
        } else {
            EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(root.filePath(c.expected)).canonicalFilePath());
        }
    }
}
