// The stream copy for the program: the stream-copy module, loaded on first use from beside the
// program or from its library folder. By then the media engine has usually brought in the
// same libav* libraries, so the load itself is cheap.
#include "streamcopyentry.h"

#include "platform/files/hostpaths.h"
#include "platform/files/programmodule.h"

#include <cstdio>

namespace tunora {

namespace {

StreamCopyEntry loadStreamCopyModule()
{
    QString error;
    const FilePath path = findProgramModule(programFolder(), QStringLiteral(TUNORA_STREAMCOPY_MODULE), &error);
    if (path.isEmpty())
        return {nullptr, nullptr, nullptr, error};
    const ModuleEntry module =
        openProgramModule(path, {TUNORA_STREAM_COPY_VERSION_SYMBOL, TUNORA_STREAM_COPY_VERSION,
                                 {TUNORA_STREAM_COPY_ENTRY_SYMBOL, TUNORA_STREAM_DECODE_SYMBOL,
                                  TUNORA_FLAC_GAIN_SYMBOL}});
    if (module.entries.empty())
        return {nullptr, nullptr, nullptr, module.error};
    return {reinterpret_cast<tunora_stream_copy_fn>(module.entries[0]),
            reinterpret_cast<tunora_stream_decode_fn>(module.entries[1]),
            reinterpret_cast<tunora_flac_gain_fn>(module.entries[2]), {}};
}

} // namespace

const StreamCopyEntry &streamCopyEntry()
{
    static const StreamCopyEntry entry = [] {
        StreamCopyEntry loaded = loadStreamCopyModule();
        if (!loaded.copy)
            std::fprintf(stderr, "tunora: %s\n", qPrintable(loaded.problem));
        return loaded;
    }();
    return entry;
}

} // namespace tunora
