#include "programmodule.h"

#include "fileio.h"
#include "filenames.h"

#include <QStringList>

#include <dlfcn.h>

namespace tunora {

FilePath findProgramModule(const FilePath &programDirectory, const QString &fileName, QString *error)
{
    const FilePath places[] = {programDirectory / fileName,
                               programDirectory / QStringLiteral(TUNORA_MODULE_INSTALL_DIR "/") / fileName};
    for (const FilePath &place : places) {
        if (regularFileExists(place))
            return place.cleaned();
    }
    if (error) {
        QStringList shown;
        for (const FilePath &place : places)
            shown.append(displayFileName(place.text()));
        *error = QStringLiteral("the module %1 is missing (looked for %2).")
                     .arg(fileName, shown.join(QStringLiteral(", ")));
    }
    return FilePath();
}

void *loadModuleEntry(const FilePath &path, const char *symbol, QString *error)
{
    // Never closed: code of the module keeps running (the engine's threads, its callbacks).
    // Lazy binding: the module's many libraries resolve only the functions it calls.
    void *module = ::dlopen(path.bytes().constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!module) {
        if (error)
            *error = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    void *entry = ::dlsym(module, symbol);
    if (!entry && error)
        *error = QStringLiteral("%1 is not a module of this program (no %2).")
                     .arg(displayFileName(path.text()), QLatin1String(symbol));
    return entry;
}

} // namespace tunora
