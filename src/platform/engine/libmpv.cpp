#include "libmpv.h"

#include "platform/files/runtimelibrary.h"

#include <QStringList>

namespace tunora {

namespace {

template <typename Function>
void resolve(const RuntimeLibrary &library, const char *name, Function &slot, QStringList &missing)
{
    slot = reinterpret_cast<Function>(library.symbol(name));
    if (!slot)
        missing.append(QLatin1String(name));
}

std::optional<LibMpv> refuse(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace

std::optional<LibMpv> loadLibMpv(const QString &file, QString *error)
{
    // Bound on first call, as the library brings many others with it; a function it lacks
    // still refuses it here, as every one is looked up below.
    QString reason;
    RuntimeLibrary library = RuntimeLibrary::open(file, RuntimeLibrary::Binding::OnFirstCall, &reason);
    if (!library.isOpen())
        return refuse(error, reason);

    LibMpv api{};
    QStringList missing;
    resolve(library, "mpv_client_api_version", api.clientApiVersion, missing);
    resolve(library, "mpv_error_string", api.errorString, missing);
    resolve(library, "mpv_create", api.create, missing);
    resolve(library, "mpv_set_option_string", api.setOptionString, missing);
    resolve(library, "mpv_initialize", api.initialize, missing);
    resolve(library, "mpv_terminate_destroy", api.terminateDestroy, missing);
    resolve(library, "mpv_set_wakeup_callback", api.setWakeupCallback, missing);
    resolve(library, "mpv_wait_event", api.waitEvent, missing);
    resolve(library, "mpv_observe_property", api.observeProperty, missing);
    resolve(library, "mpv_get_property", api.getProperty, missing);
    resolve(library, "mpv_set_property", api.setProperty, missing);
    resolve(library, "mpv_command", api.command, missing);
    resolve(library, "mpv_command_node", api.commandNode, missing);
    resolve(library, "mpv_free_node_contents", api.freeNodeContents, missing);
    if (!missing.isEmpty())
        return refuse(error, QStringLiteral("%1 is not a usable libmpv: it lacks %2.")
                                 .arg(file, missing.join(QStringLiteral(", "))));

    // The event structures this program reads are those of its own major version.
    const unsigned long major = api.clientApiVersion() >> 16;
    if (major != (MPV_CLIENT_API_VERSION >> 16))
        return refuse(error, QStringLiteral("%1 speaks version %2 of the libmpv client API; this program needs version %3.")
                                 .arg(file)
                                 .arg(major)
                                 .arg(MPV_CLIENT_API_VERSION >> 16));
    // Never unloaded: the engine's threads run its code until the process ends.
    library.keep();
    return api;
}

} // namespace tunora
