#pragma once

/* The stream-copy module's interface: plain C, so that the module and the program share no
 * C++ type, no allocator and no copy of each other's code. The program reads the source and
 * keeps the output through the callbacks it passes; the module only copies packets.
 *
 * A change to anything in this file changes TUNORA_STREAM_COPY_VERSION: the program refuses a
 * module whose version function answers another number. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TUNORA_STREAM_COPY_VERSION 1u

/* The exported functions' names. */
#define TUNORA_STREAM_COPY_VERSION_SYMBOL "tunora_stream_copy_version"
#define TUNORA_STREAM_COPY_ENTRY_SYMBOL "tunora_stream_copy"

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

typedef uint32_t (*tunora_stream_copy_version_fn)(void);
typedef int (*tunora_stream_copy_fn)(const tunora_stream_copy_job *job);

#ifdef __cplusplus
}
#endif
