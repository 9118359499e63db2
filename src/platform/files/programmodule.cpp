#include "programmodule.h"

#include "fileio.h"
#include "filenames.h"
#include "runtimelibrary.h"

#include <QStringList>

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
            shown.append(displayPath(place.text()));
        *error = QStringLiteral("the module %1 is missing (looked for %2).")
                     .arg(fileName, shown.join(QStringLiteral(", ")));
    }
    return FilePath();
}

ModuleEntry openProgramModule(const FilePath &path, const ModuleInterface &interface)
{
    QString error;
    RuntimeLibrary module = RuntimeLibrary::open(path.text(), RuntimeLibrary::Binding::AtLoad, &error);
    if (!module.isOpen())
        return {{}, error};
    const auto version = reinterpret_cast<uint32_t (*)()>(module.symbol(interface.versionSymbol));
    if (!version)
        return {{}, QStringLiteral("%1 is not a module of this program, or one older than its versioned "
                                        "interface (it has no %2).")
                             .arg(displayPath(path.text()), QLatin1String(interface.versionSymbol))};
    if (const uint32_t built = version(); built != interface.version)
        return {{}, QStringLiteral("%1 was built for version %2 of its interface; this program needs "
                                        "version %3.")
                             .arg(displayPath(path.text()))
                             .arg(built)
                             .arg(interface.version)};
    std::vector<void *> entries;
    for (const char *symbol : interface.entrySymbols) {
        void *entry = module.symbol(symbol);
        if (!entry)
            return {{}, QStringLiteral("%1 has no %2.").arg(displayPath(path.text()), QLatin1String(symbol))};
        entries.push_back(entry);
    }
    module.keep(); // its code is called from now on
    return {std::move(entries), {}};
}

} // namespace tunora
