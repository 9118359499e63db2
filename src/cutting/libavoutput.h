#pragma once

#include "libavinput.h"

#include <memory>

// A file written by a libavformat muxer through the caller's positioned writes, for the
// module's copy and its FLAC re-encode alike.
namespace tunora {

// The output through the sink, seekable: MP4 and FLAC go back to fill in sizes at the end.
struct SinkWriter {
    const tunora_stream_sink *sink;
    int64_t pos = 0;
    int64_t size = 0;
};

struct OutputDeleter {
    void operator()(AVFormatContext *c) const { avformat_free_context(c); }
};

// The members go in this order so that the format goes before its I/O.
struct LibavOutput {
    std::unique_ptr<SinkWriter> writer;
    IoPtr io;
    std::unique_ptr<AVFormatContext, OutputDeleter> format;
};

// An output of the container `muxer` (libavformat's short name) that writes to `sink`, with
// no stream yet; false when there is no such muxer.
bool openLibavOutput(const tunora_stream_sink &sink, const char *muxer, LibavOutput &output);

// The trailer written and everything handed to the sink; false when a write failed.
bool finishLibavOutput(LibavOutput &output);

} // namespace tunora
