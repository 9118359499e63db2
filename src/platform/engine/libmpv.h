#pragma once

#include <mpv/client.h>

#include <QString>

#include <optional>

namespace tunora {

// The functions of libmpv that the player calls, resolved from the library at run time: the
// program does not link libmpv, so that its window comes up before the engine's many
// libraries are loaded. Only this file's source names the library; <mpv/client.h> gives the
// types. Every function is resolved when the library is loaded, so a library that lacks one
// is refused then, never in the middle of playback.
struct LibMpv {
    decltype(&::mpv_client_api_version) clientApiVersion;
    decltype(&::mpv_error_string) errorString;
    decltype(&::mpv_create) create;
    decltype(&::mpv_set_option_string) setOptionString;
    decltype(&::mpv_initialize) initialize;
    decltype(&::mpv_terminate_destroy) terminateDestroy;
    decltype(&::mpv_set_wakeup_callback) setWakeupCallback;
    decltype(&::mpv_wait_event) waitEvent;
    decltype(&::mpv_observe_property) observeProperty;
    decltype(&::mpv_get_property) getProperty;
    decltype(&::mpv_set_property) setProperty;
    decltype(&::mpv_command) command;
    decltype(&::mpv_command_node) commandNode;
    decltype(&::mpv_free_node_contents) freeNodeContents;
};

// The system's libmpv by its run-time name, found the way the dynamic loader finds libraries;
// on Windows the one that comes with the program, beside it.
#ifdef Q_OS_WIN
inline constexpr char kLibMpvFile[] = "libmpv-2.dll";
#else
inline constexpr char kLibMpvFile[] = "libmpv.so.2";
#endif

// Loads the library `file` (a run-time name or a path) for the rest of the process and resolves
// every function; nothing, with the reason in *error, when the library cannot be loaded, lacks
// a function or speaks another major version of the client API than the one this program was
// built for. Safe to call on any thread.
std::optional<LibMpv> loadLibMpv(const QString &file = QString::fromLatin1(kLibMpvFile), QString *error = nullptr);

} // namespace tunora
