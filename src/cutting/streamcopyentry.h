#pragma once

#include "streamcopyabi.h"

#include <QString>

// Where the stream copy, decode and FLAC re-encode come from. A program links exactly one of
// the two providers: the loader of the stream-copy module (streamcopyloader.cpp) or the copy
// linked in (streamcopylinked.cpp).
namespace tunora {

struct StreamCopyEntry {
    tunora_stream_copy_fn copy = nullptr;
    tunora_stream_decode_fn decode = nullptr; // there exactly when there is a copy
    tunora_flac_gain_fn flacGain = nullptr;   // likewise
    QString problem;                          // why there is none
};

// Found on first use; the same answer for the rest of the process. Safe from any thread.
const StreamCopyEntry &streamCopyEntry();

} // namespace tunora
