#include "programmodule.h"

#include <QFileInfo>
#include <QStringList>

namespace tunora {

QString findProgramModule(const QString &programDirectory, const QString &fileName, QString *error)
{
    const QStringList places = {programDirectory + QLatin1Char('/') + fileName,
                                programDirectory + QStringLiteral("/" TUNORA_MODULE_INSTALL_DIR "/") + fileName};
    for (const QString &place : places) {
        const QFileInfo module(place);
        if (module.isFile())
            return module.absoluteFilePath();
    }
    if (error)
        *error = QStringLiteral("the module %1 is missing (looked for %2).")
                     .arg(fileName, places.join(QStringLiteral(", ")));
    return QString();
}

} // namespace tunora
