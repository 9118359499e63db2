#include "runtimelibrary.h"

#include "filenames.h"

#include <utility>

#include <dlfcn.h>

namespace tunora {

RuntimeLibrary RuntimeLibrary::open(const QString &file, Binding binding, QString *error)
{
    // Local: the library's symbols stay out of the program's and its other libraries' way.
    const int mode = (binding == Binding::AtLoad ? RTLD_NOW : RTLD_LAZY) | RTLD_LOCAL;
    void *handle = ::dlopen(encodeFileName(file).constData(), mode);
    if (!handle && error) {
        const char *reason = ::dlerror(); // names the file
        *error = reason ? QString::fromLocal8Bit(reason) : displayPath(file) + QStringLiteral(" cannot be loaded.");
    }
    return RuntimeLibrary(handle);
}

RuntimeLibrary::~RuntimeLibrary()
{
    if (m_handle)
        ::dlclose(m_handle);
}

RuntimeLibrary::RuntimeLibrary(RuntimeLibrary &&other) noexcept : m_handle(std::exchange(other.m_handle, nullptr))
{
}

RuntimeLibrary &RuntimeLibrary::operator=(RuntimeLibrary &&other) noexcept
{
    if (this != &other) {
        if (m_handle)
            ::dlclose(m_handle);
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

void *RuntimeLibrary::symbol(const char *name) const
{
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace tunora
