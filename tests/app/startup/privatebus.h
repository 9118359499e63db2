#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace tunora::test {

// A session bus of a test's own: a dbus-daemon listening in a temporary folder, ended by its
// PID with the test. Each connection to it stands for one program. Started by posix_spawn, as
// runProgram() explains.
class PrivateBus {
public:
    // `deniedName`: a name the bus refuses to give to anyone, as a desktop's bus policy may.
    explicit PrivateBus(const QString &deniedName = {})
    {
        const QString socket = m_dir.filePath(QStringLiteral("bus"));
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!m_dir.isValid() || !file.open(QIODevice::WriteOnly))
            return;
        const QString deny = deniedName.isEmpty() ? QString() : QStringLiteral("<deny own=\"%1\"/>").arg(deniedName);
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                                  "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/>%2</policy></busconfig>")
                       .arg(socket, deny)
                       .toUtf8());
        file.close();
        const std::string configArg = "--config-file=" + QFile::encodeName(config).toStdString();
        std::vector<char *> argv{const_cast<char *>("dbus-daemon"), const_cast<char *>("--nofork"),
                                 const_cast<char *>(configArg.c_str()), nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&quiet);
        for (int i = 0; m_pid > 0 && i < 500 && !QFileInfo::exists(socket); ++i)
            QThread::msleep(10);
        if (QFileInfo::exists(socket))
            m_address = QStringLiteral("unix:path=") + socket;
    }

    ~PrivateBus()
    {
        for (const QString &name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    // False where dbus-daemon is not installed or did not come up.
    bool isUp() const { return !m_address.isEmpty(); }

    // A connection of its own, as one more program's; `name` is Qt's name for it.
    QDBusConnection connect(const QString &name)
    {
        m_connections.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_dir;
    pid_t m_pid = -1;
    QString m_address;
    QStringList m_connections;
};

} // namespace tunora::test
