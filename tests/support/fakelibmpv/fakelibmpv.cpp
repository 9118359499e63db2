// A library that stands in for libmpv where a test needs one that fails: it has the functions
// the player resolves (or, built with FAKE_MPV_LACKS_COMMAND_NODE, all but one), and none of
// them works. mpv_create() creates the file TUNORA_FAKE_MPV_MARK, if set, and waits
// TUNORA_FAKE_MPV_CREATE_MS milliseconds, to be an engine that takes long to come up; it then
// fails.
#include <mpv/client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#ifndef FAKE_MPV_API_VERSION
#define FAKE_MPV_API_VERSION MPV_CLIENT_API_VERSION
#endif

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT unsigned long mpv_client_api_version(void)
{
    return FAKE_MPV_API_VERSION;
}

FAKE_EXPORT const char *mpv_error_string(int)
{
    return "fake";
}

FAKE_EXPORT mpv_handle *mpv_create(void)
{
    if (const char *mark = std::getenv("TUNORA_FAKE_MPV_MARK")) {
        if (std::FILE *file = std::fopen(mark, "w"))
            std::fclose(file);
    }
    if (const char *wait = std::getenv("TUNORA_FAKE_MPV_CREATE_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(wait)));
    return nullptr;
}

FAKE_EXPORT int mpv_set_option_string(mpv_handle *, const char *, const char *) { return MPV_ERROR_GENERIC; }
FAKE_EXPORT int mpv_initialize(mpv_handle *) { return MPV_ERROR_GENERIC; }
FAKE_EXPORT void mpv_terminate_destroy(mpv_handle *) {}
FAKE_EXPORT void mpv_set_wakeup_callback(mpv_handle *, void (*)(void *), void *) {}
FAKE_EXPORT mpv_event *mpv_wait_event(mpv_handle *, double) { return nullptr; }
FAKE_EXPORT int mpv_observe_property(mpv_handle *, uint64_t, const char *, mpv_format) { return MPV_ERROR_GENERIC; }
FAKE_EXPORT int mpv_get_property(mpv_handle *, const char *, mpv_format, void *) { return MPV_ERROR_GENERIC; }
FAKE_EXPORT int mpv_set_property(mpv_handle *, const char *, mpv_format, void *) { return MPV_ERROR_GENERIC; }
FAKE_EXPORT int mpv_command(mpv_handle *, const char **) { return MPV_ERROR_GENERIC; }
#ifndef FAKE_MPV_LACKS_COMMAND_NODE
FAKE_EXPORT int mpv_command_node(mpv_handle *, mpv_node *, mpv_node *) { return MPV_ERROR_GENERIC; }
#endif
FAKE_EXPORT void mpv_free_node_contents(mpv_node *) {}
