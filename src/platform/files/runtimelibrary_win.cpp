#include "runtimelibrary.h"

#include "filenames.h"
#include "filepath.h"

#include <utility>

#include <windows.h>

namespace tunora {

namespace {

// The system's reason in the user's language, as dlerror() gives it on other systems.
QString systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = n ? QString::fromWCharArray(text, int(n)).trimmed()
                        : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return message;
}

} // namespace

RuntimeLibrary RuntimeLibrary::open(const QString &file, Binding, QString *error)
{
    // Windows binds every import when it loads a library, so both bindings load alike. A path
    // finds the libraries it needs in its own folder first; a bare name is looked for beside
    // the program, as Windows looks. No dialog box for a library that is missing.
    const FilePath path(file);
    const DWORD flags = path.isAbsolute() ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle = LoadLibraryExW(path.nativePath().c_str(), nullptr, flags);
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (!handle && error)
        *error = displayPath(file) + QStringLiteral(": ") + systemMessage(code);
    return RuntimeLibrary(handle);
}

RuntimeLibrary::~RuntimeLibrary()
{
    if (m_handle)
        FreeLibrary(static_cast<HMODULE>(m_handle));
}

RuntimeLibrary::RuntimeLibrary(RuntimeLibrary &&other) noexcept : m_handle(std::exchange(other.m_handle, nullptr))
{
}

RuntimeLibrary &RuntimeLibrary::operator=(RuntimeLibrary &&other) noexcept
{
    if (this != &other) {
        if (m_handle)
            FreeLibrary(static_cast<HMODULE>(m_handle));
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

void *RuntimeLibrary::symbol(const char *name) const
{
    return m_handle ? reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(m_handle), name)) : nullptr;
}

} // namespace tunora
