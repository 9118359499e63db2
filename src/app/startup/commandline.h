#pragma once

#include "platform/files/filepath.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tunora {

// What the command line asks for before the program starts: texts to print and the exit
// code to end with, or a start with the song files named (absolute paths, in their order).
struct CommandLineAnswer {
    std::optional<int> exitCode;
    QString standardOutput;
    QString standardError;
    QList<FilePath> songFiles;
};

// --help and --version answer and end with 0; an unknown option, or an option without its
// value, ends with the usage on standard error and 2. Qt's own window options pass through.
// Every other argument names a song file; a relative one is taken from the current directory.
CommandLineAnswer answerCommandLine(const QStringList &arguments);

// The same for main(), from the bytes of argv (a file name keeps every byte): prints the
// answer when there is one. Needs no display and no application object.
CommandLineAnswer handleCommandLine(int argc, char **argv);

} // namespace tunora
