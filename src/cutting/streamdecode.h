#pragma once

#include "streamcopyabi.h"

#include <QByteArray>

#include <cstdint>
#include <functional>

// The sound of a song, decoded through libavcodec in the stream-copy module (the same module,
// and the same way of reaching it, as the stream copy in streamcopy.h).
namespace tunora {

class ReadFile;

// A piece of decoded sound: `frames` sample frames of `channels` interleaved floats in [-1, 1].
struct DecodedSamples {
    double firstSecond = 0; // the time of the first sample, counted from the song's start
    const float *interleaved = nullptr;
    int64_t frames = 0;
    int channels = 0;
    int sampleRate = 0;
};

enum class StreamDecode {
    Done,        // every sample of the stretch was handed over
    Stopped,     // the callback asked to stop
    Failed,      // the song cannot be read or decoded
    Unavailable, // the program has no module it can use (streamCopyProblem() says why)
};

// Answers false to stop the decode.
using DecodedSamplesFn = std::function<bool(const DecodedSamples &)>;

// Decodes [start, end) of the song (end < 0: to its end) as libavformat's `demuxer` ("mp3",
// "flac", "ogg", "mov", "asf", "wav"), handing the sound to `samples` piece by piece on the
// calling thread. Safe from any thread, one decode per source at a time.
StreamDecode streamDecode(const ReadFile &source, double start, double end, const char *demuxer,
                          const DecodedSamplesFn &samples);

// The same over bytes in memory, such as a cut's output.
StreamDecode streamDecode(const QByteArray &bytes, double start, double end, const char *demuxer,
                          const DecodedSamplesFn &samples);

// A source over bytes in memory; `bytes` must outlive it.
tunora_stream_source byteSource(const QByteArray &bytes);

} // namespace tunora
