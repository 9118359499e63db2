#include "platform/engine/libmpv.h"
#include "platform/engine/mpvhandle.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunora;

TEST(LibMpv, TheSystemsLibraryLoadsWithEveryFunction)
{
    QString error;
    const std::optional<LibMpv> api = loadLibMpv(QString::fromLatin1(kLibMpvFile), &error);
    ASSERT_TRUE(api.has_value()) << error.toStdString();
    // Every slot of the table, whatever is added to it later.
    const auto *slots = reinterpret_cast<void *const *>(&*api);
    for (std::size_t i = 0; i < sizeof(LibMpv) / sizeof(void *); ++i)
        EXPECT_NE(slots[i], nullptr) << "function " << i;
    EXPECT_EQ(api->clientApiVersion() >> 16, MPV_CLIENT_API_VERSION >> 16);
}

TEST(LibMpv, ALibraryThatIsNoUsableLibmpvIsRefusedWithItsReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString garbage = dir.filePath(QStringLiteral("libmpv.so.2"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, '\0'));
    file.close();

    struct Case {
        const char *what;
        QString path;
        QString reasonNames;
    };
    const Case cases[] = {
        {"missing", dir.filePath(QStringLiteral("none/libmpv.so.2")), QStringLiteral("none/libmpv.so.2")},
        {"not a shared object", garbage, garbage},
        {"lacks a function", QStringLiteral(TUNORA_FAKE_LIBMPV_LACKING), QStringLiteral("mpv_command_node")},
        {"another client API", QStringLiteral(TUNORA_FAKE_LIBMPV_FOREIGN), QStringLiteral("version 3")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_FALSE(loadLibMpv(c.path, &error).has_value());
        EXPECT_TRUE(error.contains(c.reasonNames)) << error.toStdString();

        // The engine does not come up on it, and says why.
        QString openError;
        EXPECT_EQ(MpvHandle::open(&openError, c.path), nullptr);
        EXPECT_EQ(openError, error);
    }
}
