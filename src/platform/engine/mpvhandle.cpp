#include "mpvhandle.h"

#include <clocale>
#include <cstring>

namespace tunora {

namespace {

struct Option {
    const char *name;
    const char *value;
};

// The engine plays audio only, on any output that works (the null output as a last resort,
// so the program also runs without a sound device), and takes no input or config of its own.
constexpr Option kRequiredOptions[] = {
    {"vid", "no"},
    {"vo", "null"},
#ifdef Q_OS_WIN
    {"ao", "wasapi,null"},
#else
    {"ao", "pulse,alsa,null"},
#endif
    {"audio-fallback-to-null", "yes"},
    // With gapless audio mpv ends a file some 0.4 s before its audio has been heard.
    {"gapless-audio", "no"},
    {"keep-open", "no"},
    {"idle", "yes"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"audio-display", "no"},
};
// Not every build knows these; they only keep the engine quiet.
constexpr Option kOptionalOptions[] = {
    {"load-scripts", "no"},
    {"ytdl", "no"},
    // The built-in scripts would start a Lua interpreter each, and the console and stats
    // overlays the subtitle renderer with its font scan: start-up time for nothing we show.
    {"osc", "no"},
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"audio-client-name", "Tunora"},
    // Looking for external subtitle, audio and cover files lists the song's whole folder on
    // every load: thousands of entries before a song can start, for files we never use.
    {"autoload-files", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"cover-art-auto", "no"},
};

} // namespace

std::unique_ptr<MpvHandle> MpvHandle::open(QString *error, const QString &library)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return std::unique_ptr<MpvHandle>();
    };
    const char *numeric = std::setlocale(LC_NUMERIC, nullptr);
    if (numeric && std::strcmp(numeric, "C") != 0)
        return fail(QStringLiteral(u"The media engine needs the numeric locale \"C\"."));
    const std::optional<LibMpv> api = loadLibMpv(library, error);
    if (!api)
        return std::unique_ptr<MpvHandle>();
    mpv_handle *raw = api->create();
    if (!raw)
        return fail(QStringLiteral(u"The media engine (libmpv) could not be created."));
    std::unique_ptr<MpvHandle> handle(new MpvHandle(*api, raw));
    for (const Option &option : kRequiredOptions) {
        const int result = api->setOptionString(raw, option.name, option.value);
        if (result < 0)
            return fail(QStringLiteral(u"The media engine refused the option %1=%2: %3")
                            .arg(QString::fromUtf8(option.name), QString::fromUtf8(option.value),
                                 QString::fromUtf8(api->errorString(result))));
    }
    for (const Option &option : kOptionalOptions)
        api->setOptionString(raw, option.name, option.value);
    if (const int result = api->initialize(raw); result < 0)
        return fail(QStringLiteral(u"The media engine could not start: ") + QString::fromUtf8(api->errorString(result)));
    return handle;
}

MpvHandle::~MpvHandle()
{
    m_api.setWakeupCallback(m_handle, nullptr, nullptr);
    m_api.terminateDestroy(m_handle);
}

} // namespace tunora
