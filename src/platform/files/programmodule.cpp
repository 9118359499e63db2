#include "programmodule.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

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

void *loadModuleEntry(const QString &path, const char *symbol, QString *error)
{
    // Never closed: code of the module keeps running (the engine's threads, its callbacks).
    // Lazy binding: the module's many libraries resolve only the functions it calls.
    void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!module) {
        if (error)
            *error = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    void *entry = ::dlsym(module, symbol);
    if (!entry && error)
        *error = QStringLiteral("%1 is not a module of this program (no %2).").arg(path, QLatin1String(symbol));
    return entry;
}

} // namespace tunora
