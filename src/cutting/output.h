#pragma once

#include "platform/files/filepath.h"

#include <QString>

// Where cut and merged files go: written in the working directory, then moved into the
// program directory.
namespace tunora {

struct OutputDirs {
    FilePath workDir;    // the process's current working directory
    FilePath programDir; // the directory holding the executable
};

// "[铃声]" + the song's file name.
QString ringtoneFileName(const QString &songName);

inline const QString kMergeOutputName = QStringLiteral(u"[铃声]劲歌金曲[请自行修改名字].mp3");

FilePath workPath(const OutputDirs &dirs, const QString &fileName);

// Moves a written output into the program directory, replacing an older one. False when it
// cannot be moved: it then stays whole in the working directory, and the user is told so.
bool moveToProgramDir(const OutputDirs &dirs, const QString &fileName);

} // namespace tunora
