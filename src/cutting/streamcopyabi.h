#pragma once

/* The stream-copy module's interface: plain C, so that the module and the program share no
 * C++ type, no allocator and no copy of each other's code. The program reads the source and
 * keeps the output through the callbacks it passes; the module copies packets, or decodes
 * them into samples it hands back, or re-encodes a FLAC file with its samples scaled.
 *
 * A change to anything in this file changes TUNORA_STREAM_COPY_VERSION: the program refuses a
 * module whose version function answers another number. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TUNORA_STREAM_COPY_VERSION 3u

/* The exported functions' names. */
#define TUNORA_STREAM_COPY_VERSION_SYMBOL "tunora_stream_copy_version"
#define TUNORA_STREAM_COPY_ENTRY_SYMBOL "tunora_stream_copy"
#define TUNORA_STREAM_DECODE_SYMBOL "tunora_stream_decode"
#define TUNORA_FLAC_GAIN_SYMBOL "tunora_flac_gain"

/* The song being cut. read_at reads up to `count` bytes at `offset` into `buffer` and returns
 * how many it read: fewer at the end of the file, 0 past it, -1 on an error. */
typedef struct tunora_stream_source {
    void *context;
    int64_t size;
    int64_t (*read_at)(void *context, int64_t offset, void *buffer, int64_t count);
} tunora_stream_source;

/* Where the cut goes. write_at writes `count` bytes at `offset`, growing the output as needed
 * (a muxer goes back to fill in sizes), and returns 0, or -1 on an error. */
typedef struct tunora_stream_sink {
    void *context;
    int (*write_at)(void *context, int64_t offset, const void *data, int64_t count);
} tunora_stream_sink;

/* One cut: the source's audio packets whose middle lies in [start_seconds, end_seconds), as a
 * file of the container `muxer`. `demuxer` and `muxer` are libavformat's short names ("flac",
 * "ogg", "mov", "ipod", "wav", ...). */
typedef struct tunora_stream_copy_job {
    tunora_stream_source source;
    tunora_stream_sink sink;
    double start_seconds;
    double end_seconds;
    const char *demuxer;
    const char *muxer;
} tunora_stream_copy_job;

/* What a cut returns. */
enum {
    TUNORA_STREAM_COPY_WRITTEN = 0, /* the sink holds the whole output */
    TUNORA_STREAM_COPY_EMPTY = 1,   /* the marks hold no packet: nothing written */
    TUNORA_STREAM_COPY_FAILED = 2,  /* the source cannot be cut or the sink refused a write */
};

/* One decode: the source's audio from start_seconds (counted, as the marks are, from where a
 * player starts the song) to end_seconds (< 0: to the end). `samples` receives the sound in
 * pieces, interleaved float in [-1, 1] whatever the codec's own format, each with the time of
 * its first sample; nothing before start_seconds or past end_seconds reaches it. A nonzero
 * answer stops the decode. */
typedef struct tunora_stream_decode_job {
    tunora_stream_source source;
    const char *demuxer;
    double start_seconds;
    double end_seconds;
    void *context;
    int (*samples)(void *context, double first_sample_seconds, const float *interleaved, int64_t frames,
                   int channels, int sample_rate);
} tunora_stream_decode_job;

/* What a decode returns. */
enum {
    TUNORA_STREAM_DECODE_DONE = 0,    /* every sample of the stretch was handed over */
    TUNORA_STREAM_DECODE_STOPPED = 1, /* the callback asked to stop */
    TUNORA_STREAM_DECODE_FAILED = 2,  /* the source cannot be read or decoded */
};

/* One FLAC file written again, losslessly, with its samples scaled: every sample of sample
 * frame `frame` (counted from 0, of `frames` in all, at `sample_rate`) multiplied by what `gain`
 * answers for it, rounded to the nearest value its bits hold and clipped at their limits. A
 * frame whose gain is exactly 1 keeps its samples as they are. The output has the source's
 * sample rate, channels, bits per sample (16 or 24; others fail) and tags. */
typedef struct tunora_flac_gain_job {
    tunora_stream_source source;
    tunora_stream_sink sink;
    void *context;
    double (*gain)(void *context, int64_t frame, int64_t frames, int sample_rate);
} tunora_flac_gain_job;

/* What a FLAC re-encode returns. */
enum {
    TUNORA_FLAC_GAIN_WRITTEN = 0, /* the sink holds the whole output */
    TUNORA_FLAC_GAIN_FAILED = 1,  /* the source cannot be decoded or encoded, or the sink refused a write */
};

typedef uint32_t (*tunora_stream_copy_version_fn)(void);
typedef int (*tunora_stream_copy_fn)(const tunora_stream_copy_job *job);
typedef int (*tunora_stream_decode_fn)(const tunora_stream_decode_job *job);
typedef int (*tunora_flac_gain_fn)(const tunora_flac_gain_job *job);

#ifdef __cplusplus
}
#endif
