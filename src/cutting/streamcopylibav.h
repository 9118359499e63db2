#pragma once

#include "streamcopyabi.h"

// Cuts through libavformat: the audio stream's packets that fall in the marked stretch are
// copied into a new file of the given container, unchanged; or decodes them through
// libavcodec; or re-encodes a FLAC file with its samples scaled. The only code that uses the libav* libraries, and none of the program's own: it
// lives in the stream-copy module.
namespace tunora {

// One of the TUNORA_STREAM_COPY_* results.
int copyThroughLibav(const tunora_stream_copy_job &job);

// One of the TUNORA_STREAM_DECODE_* results.
int decodeThroughLibav(const tunora_stream_decode_job &job);

// One of the TUNORA_FLAC_GAIN_* results.
int flacGainThroughLibav(const tunora_flac_gain_job &job);

} // namespace tunora
