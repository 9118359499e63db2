#include "output.h"

#include "platform/files/fileio.h"

namespace tunora {

QString ringtoneFileName(const QString &songName)
{
    return QStringLiteral(u"[铃声]") + songName;
}

QString workPath(const OutputDirs &dirs, const QString &fileName)
{
    return joinPath(dirs.workDir, fileName);
}

void moveToProgramDir(const OutputDirs &dirs, const QString &fileName)
{
    (void)moveFile(workPath(dirs, fileName), joinPath(dirs.programDir, fileName));
}

} // namespace tunora
