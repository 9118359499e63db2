#include "output.h"

#include "platform/files/fileio.h"

namespace tunora {

QString ringtoneFileName(const QString &songName)
{
    return QStringLiteral(u"[铃声]") + songName;
}

FilePath workPath(const OutputDirs &dirs, const QString &fileName)
{
    return dirs.workDir / fileName;
}

bool moveToProgramDir(const OutputDirs &dirs, const QString &fileName)
{
    return moveFile(workPath(dirs, fileName), dirs.programDir / fileName);
}

} // namespace tunora
