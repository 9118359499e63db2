#include "platform/files/programmodule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunora;

namespace {

const ModuleInterface kTestInterface{"test_module_version", 7, {"test_module_entry", "test_module_second_entry"}};

QString testModule(const char *name)
{
    return QStringLiteral(TUNORA_TEST_MODULE_DIR "/") + QLatin1String(name) + QStringLiteral(".so");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Whether the file is mapped into this process, as a loaded module is.
bool isMapped(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (canonical.isEmpty() || !maps.open(QIODevice::ReadOnly))
        return false;
    return QString::fromLocal8Bit(maps.readAll()).contains(canonical);
}

} // namespace

TEST(ProgramModule, TakesOnlyAModuleOfItsInterfaceVersionWithEverySymbolBound)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notAModule = dir.filePath(QStringLiteral("garbage.so"));
    ASSERT_TRUE(writeFile(notAModule, QByteArray(4096, 'x')));
    struct Case {
        const char *what;
        QString path;
        const char *reason; // nullptr: the module is taken
    };
    const Case cases[] = {
        {"an older module", testModule("test-module-older"),
         "was built for version 6 of its interface; this program needs version 7"},
        {"a newer module", testModule("test-module-newer"), "was built for version 8"},
        {"a module without a version: foreign, or from before versions", testModule("test-module-foreign"),
         "has no test_module_version"},
        {"no entry point", testModule("test-module-no-entry"), "has no test_module_entry"},
        {"one entry point of two", testModule("test-module-one-entry"), "has no test_module_second_entry"},
        // Bound lazily, the call would fail in the middle of the module's work instead.
        {"a function no library defines", testModule("test-module-unresolved"),
         "undefined symbol: tunora_test_nowhere_defined"},
        {"not a shared object", notAModule, "garbage.so"},
        {"no file", dir.filePath(QStringLiteral("none.so")), "none.so"},
        {"the module of this version", testModule("test-module-current"), nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const ModuleEntry module = openProgramModule(FilePath(c.path), kTestInterface);
        if (c.reason) {
            EXPECT_TRUE(module.entries.empty());
            EXPECT_TRUE(module.error.contains(QLatin1String(c.reason))) << module.error.toStdString();
            EXPECT_FALSE(isMapped(c.path)) << "a refused module is unloaded again";
            continue;
        }
        ASSERT_EQ(module.entries.size(), 2u) << module.error.toStdString();
        EXPECT_TRUE(module.error.isEmpty());
        EXPECT_EQ(reinterpret_cast<int (*)()>(module.entries[0])(), 42);
        EXPECT_EQ(reinterpret_cast<int (*)()>(module.entries[1])(), 43);
        EXPECT_TRUE(isMapped(c.path)) << "a module in use stays loaded";
    }
}

TEST(ProgramModule, IsFoundBesideTheProgramOrInItsLibraryFolder)
{
    const QString name = QStringLiteral("tunora-something.so");
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
        const QString found = findProgramModule(FilePath(root.filePath(QStringLiteral("bin"))), name, &error).text();
        if (c.expected.isEmpty()) {
            EXPECT_TRUE(found.isEmpty()) << found.toStdString();
            EXPECT_TRUE(error.contains(name)) << error.toStdString();
        } else {
            EXPECT_EQ(QFileInfo(found).canonicalFilePath(), QFileInfo(root.filePath(c.expected)).canonicalFilePath());
        }
    }
}

TEST(ProgramModule, AMissingModuleNamesThePlacesAsTheUserReadsThem)
{
    // A program unpacked into a GBK-named folder ("歌曲") inside a UTF-8 one ("音乐").
    const FilePath program = FilePath::fromBytes(QStringView(u"/opt/音乐/").toUtf8() + "\xB8\xE8\xC7\xFA");
    QString error;
    EXPECT_TRUE(findProgramModule(program, QStringLiteral("tunora-something.so"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral(u"/opt/音乐/歌曲/tunora-something.so"))) << error.toStdString();
}
