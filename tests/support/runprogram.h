#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace tunora::test {

// Runs a program found on PATH to its end: its exit code, or -1 when it cannot start or does
// not end by itself. Started by posix_spawn, not QProcess: after QProcess has started a child,
// ThreadSanitizer takes the test for a forked child of a threaded process and stops it at its
// next thread (a cut's worker, the engine's), so tests that go on to use threads start their
// helpers this way.
inline int runProgram(const QString &program, const QStringList &arguments)
{
    std::vector<std::string> args{QFile::encodeName(program).toStdString()};
    for (const QString &argument : arguments)
        args.push_back(QFile::encodeName(argument).toStdString());
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace tunora::test
