#pragma once

#include "streamcopyabi.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <memory>

// A song opened by libavformat through the caller's positioned reads, for the module's copy
// and decode alike: libavformat never opens a file by name, so names keep their bytes and one
// that looks like a protocol ("http:...") is never one.
namespace tunora {

// libavformat 61 made the written buffer const.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const uint8_t *;
#else
using WrittenBytes = uint8_t *;
#endif

struct IoDeleter {
    void operator()(AVIOContext *io) const;
};
using IoPtr = std::unique_ptr<AVIOContext, IoDeleter>;

IoPtr makeIo(void *opaque, bool writable, int (*read)(void *, uint8_t *, int),
             int (*write)(void *, WrittenBytes, int), int64_t (*seek)(void *, int64_t, int));

struct InputDeleter {
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};

struct SourceReader {
    const tunora_stream_source *source;
    int64_t pos = 0;
};

// The members go in this order so that the format closes before its I/O is freed.
struct LibavInput {
    std::unique_ptr<SourceReader> reader;
    IoPtr io;
    std::unique_ptr<AVFormatContext, InputDeleter> format;
    int stream = -1;     // the audio stream
    int64_t origin = 0;  // its first time stamp, where a player starts the song
};

// The source's best audio stream with its stream information read; false when there is none
// or the source cannot be read as `demuxer` (libavformat's short name).
bool openLibavInput(const tunora_stream_source &source, const char *demuxer, LibavInput &input);

} // namespace tunora
