// streamCopy() for the program: the work is done by the stream-copy module, loaded on first
// use from beside the program. By then the media engine has usually brought in the same libav*
// libraries, so the load itself is cheap.
#include "streamcopymodule.h"

#include "platform/files/hostpaths.h"
#include "platform/files/programmodule.h"

#include <cstdio>

namespace tunora {

namespace {

StreamCopyEntry loadStreamCopy()
{
    QString error;
    const FilePath path = findProgramModule(programFolder(), QStringLiteral(TUNORA_STREAMCOPY_MODULE), &error);
    if (path.isEmpty()) {
        std::fprintf(stderr, "tunora: %s\n", qPrintable(error));
        return nullptr;
    }
    auto entry = reinterpret_cast<StreamCopyEntry>(loadModuleEntry(path, kStreamCopyEntry, &error));
    if (!entry)
        std::fprintf(stderr, "tunora: %s\n", qPrintable(error));
    return entry;
}

} // namespace

StreamCopy streamCopy(const ReadFile &source, MarkedSpan span, const char *demuxer, const char *muxer)
{
    // Without the module these containers cannot be cut; the cut reports the failure.
    static const StreamCopyEntry entry = loadStreamCopy();
    StreamCopy copy;
    if (entry)
        entry(source, span, demuxer, muxer, &copy);
    return copy;
}

} // namespace tunora
