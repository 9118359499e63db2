#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tunora {

// What the command line asks for before the program starts: nothing (start as usual), or
// texts to print and the exit code to end with.
struct CommandLineAnswer {
    std::optional<int> exitCode;
    QString standardOutput;
    QString standardError;
};

// --help and --version answer and end with 0; an unknown option, or an option without its
// value, ends with the usage on standard error and 2. Qt's own window options pass through.
CommandLineAnswer answerCommandLine(const QStringList &arguments);

// The same for main(): prints the answer and gives the exit code, or nothing when the
// program is to start. Needs no display and no application object.
std::optional<int> handleCommandLine(int argc, char **argv);

} // namespace tunora
