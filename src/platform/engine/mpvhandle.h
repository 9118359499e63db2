#pragma once

#include "libmpv.h"

#include <QString>

#include <memory>

namespace tunora {

// One initialised mpv handle with the library functions that drive it; the handle is
// destroyed with this object. Opening loads libmpv and brings the engine up with the
// player's options, which takes a while: it may run on any thread, and the handle then
// goes to the player's.
class MpvHandle {
public:
    // The engine, or nullptr with the reason in *error. The numeric locale must be "C".
    // `library` names the libmpv to load, as loadLibMpv() takes it.
    static std::unique_ptr<MpvHandle> open(QString *error = nullptr,
                                           const QString &library = QString::fromLatin1(kLibMpvFile));
    ~MpvHandle();
    MpvHandle(const MpvHandle &) = delete;
    MpvHandle &operator=(const MpvHandle &) = delete;

    const LibMpv &api() const { return m_api; }
    mpv_handle *get() const { return m_handle; }

private:
    MpvHandle(const LibMpv &api, mpv_handle *handle) : m_api(api), m_handle(handle) {}

    LibMpv m_api;
    mpv_handle *m_handle;
};

} // namespace tunora
