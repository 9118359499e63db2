#pragma once

#include "streamcopy.h"

// libavformat and its many libraries would cost every start of the program, for a cut that
// most starts never make: the copy through libavformat lives in a module of its own, which the
// program loads on the first cut that needs it. The module exports one function of this type
// under kStreamCopyEntry; it fills *copy as streamCopy() returns it.
namespace tunora {

using StreamCopyEntry = void (*)(const ReadFile &source, MarkedSpan span, const char *demuxer, const char *muxer,
                                 StreamCopy *copy);
inline constexpr char kStreamCopyEntry[] = "tunora_stream_copy";

} // namespace tunora
