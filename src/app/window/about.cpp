#include "app/window/about.h"

#include "platform/files/fileio.h"
#include "platform/files/filenames.h"

namespace tunora {

QString aboutTitle()
{
    return QStringLiteral(u"关于 Tunora");
}

QString aboutText(const FilePath &settingsFile, const FilePath &readme)
{
    QString text = QStringLiteral(u"Tunora 版本 ") + QStringLiteral(TUNORA_VERSION) + QStringLiteral(u"\n\n设置文件：")
        + displayPath(settingsFile.text());
    if (!readme.isEmpty())
        text += QStringLiteral(u"\n使用说明：") + displayPath(readme.text());
    return text;
}

FilePath readmeFile(const FilePath &programFolder)
{
    const FilePath installed = (programFolder / QStringLiteral("../share/doc/tunora/README.md")).cleaned();
    if (fileExists(installed))
        return installed;
    const FilePath source(QStringLiteral(TUNORA_SOURCE_README));
    return fileExists(source) ? source : FilePath();
}

} // namespace tunora
