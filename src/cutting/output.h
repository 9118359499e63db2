#pragma once

#include <QString>

// Where cut and merged files go: written in the working directory, then moved into the
// program directory.
namespace tunora {

struct OutputDirs {
    QString workDir;    // the process's current working directory
    QString programDir; // the directory holding the executable
};

// "[铃声]" + the song's file name.
QString ringtoneFileName(const QString &songName);

inline const QString kMergeOutputName = QStringLiteral(u"[铃声]劲歌金曲[请自行修改名字].mp3");

QString workPath(const OutputDirs &dirs, const QString &fileName);

// Moves a written output into the program directory, replacing an older one. A failed
// move leaves the file in the working directory and is not reported.
void moveToProgramDir(const OutputDirs &dirs, const QString &fileName);

} // namespace tunora
