#include "programmodule.h"

#include "fileio.h"
#include "filenames.h"

#include <QStringList>

#include <dlfcn.h>

namespace tunora {

namespace {

// Unloads the module when it goes, unless release()d.
class ModuleHandle {
public:
    explicit ModuleHandle(void *handle) : m_handle(handle) {}
    ~ModuleHandle()
    {
        if (m_handle)
            ::dlclose(m_handle);
    }
    ModuleHandle(const ModuleHandle &) = delete;
    ModuleHandle &operator=(const ModuleHandle &) = delete;

    void *get() const { return m_handle; }
    void release() { m_handle = nullptr; }

private:
    void *m_handle;
};

} // namespace

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

ModuleEntry openProgramModule(const FilePath &path, const ModuleInterface &interface)
{
    ModuleHandle module(::dlopen(path.bytes().constData(), RTLD_NOW | RTLD_LOCAL));
    if (!module.get()) {
        const char *reason = ::dlerror(); // names the file
        return {nullptr, reason ? QString::fromLocal8Bit(reason) : displayFileName(path.text()) + QStringLiteral(" cannot be loaded.")};
    }
    const auto version = reinterpret_cast<uint32_t (*)()>(::dlsym(module.get(), interface.versionSymbol));
    if (!version)
        return {nullptr, QStringLiteral("%1 is not a module of this program, or one older than its versioned "
                                        "interface (it has no %2).")
                             .arg(displayFileName(path.text()), QLatin1String(interface.versionSymbol))};
    if (const uint32_t built = version(); built != interface.version)
        return {nullptr, QStringLiteral("%1 was built for version %2 of its interface; this program needs "
                                        "version %3.")
                             .arg(displayFileName(path.text()))
                             .arg(built)
                             .arg(interface.version)};
    void *entry = ::dlsym(module.get(), interface.entrySymbol);
    if (!entry)
        return {nullptr, QStringLiteral("%1 has no %2.").arg(displayFileName(path.text()), QLatin1String(interface.entrySymbol))};
    module.release(); // its code is called from now on
    return {entry, {}};
}

} // namespace tunora
