// The entry point of the stream-copy module: streamCopy() as the libav* libraries do it.
#include "streamcopymodule.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT void tunora_stream_copy(const tunora::ReadFile &source, tunora::MarkedSpan span,
                                                 const char *demuxer, const char *muxer, tunora::StreamCopy *copy)
{
    static_assert(std::is_same_v<decltype(&tunora_stream_copy), tunora::StreamCopyEntry>);
    *copy = tunora::streamCopy(source, span, demuxer, muxer);
}
