#pragma once

#include <QByteArray>
#include <QString>

// The one place the program calls the dynamic loader: its own modules (programmodule.h) and
// the system libraries it does not link, so that they load behind its window (libmpv).
namespace tunora {

// A shared library loaded while the program runs; unloaded again when it goes, unless kept.
class RuntimeLibrary {
public:
    // How the library's references to other libraries are bound: all at load, so that one
    // nothing defines refuses the library at once instead of failing in the middle of its
    // work, or each on its first call, which loads a library with many dependencies sooner.
    enum class Binding { AtLoad, OnFirstCall };

    // `file` is a path, or a bare run-time name ("libmpv.so.2") that is looked for where the
    // dynamic loader looks; as bytes, in the lossless encoding of filenames.h. Not open, with
    // the loader's reason (which names the file) in *error, when it cannot be loaded.
    static RuntimeLibrary open(const QString &file, Binding binding, QString *error = nullptr);

    RuntimeLibrary() = default;
    ~RuntimeLibrary();
    RuntimeLibrary(RuntimeLibrary &&other) noexcept;
    RuntimeLibrary &operator=(RuntimeLibrary &&other) noexcept;
    RuntimeLibrary(const RuntimeLibrary &) = delete;
    RuntimeLibrary &operator=(const RuntimeLibrary &) = delete;

    bool isOpen() const { return m_handle != nullptr; }
    // The address of the function or variable `name`; nullptr when the library has none.
    void *symbol(const char *name) const;
    // Leaves the library loaded for the rest of the process: its code is called from now on,
    // by threads that may outlive this object.
    void keep() { m_handle = nullptr; }

private:
    explicit RuntimeLibrary(void *handle) : m_handle(handle) {}

    void *m_handle = nullptr;
};

} // namespace tunora
