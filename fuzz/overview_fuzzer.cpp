// The overview's reading of a song: the stream-copy module's decoding entry on arbitrary bytes
// as each of the six formats, from the start or from a stretch inside, summed into the
// overview's blocks and cut into a strip's columns; and the same bytes' first estimate as an
// MP3, from its frames' side info.
//
// Input: the first byte picks the format (its low bits) and the stretch (a start from its high
// bits, in quarter seconds); the rest is the song file.

#include "fuzzcheck.h"
#include "memoryfile.h"

#include "cutting/streamcopylibav.h"
#include "cutting/streamdecode.h"
#include "overview/loudnessenvelope.h"
#include "overview/mpegestimate.h"
#include "platform/files/fileio.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace tunora;
using namespace tunora::fuzz;

namespace {

const char *const kDemuxers[] = {"mp3", "wav", "asf", "flac", "ogg", "mov"};

struct Song {
    const uint8_t *data;
    int64_t size;
};

int64_t readSong(void *context, int64_t offset, void *buffer, int64_t count)
{
    const auto *song = static_cast<const Song *>(context);
    if (offset < 0 || count < 0)
        return -1;
    const int64_t n = offset >= song->size ? 0 : std::min(count, song->size - offset);
    if (n > 0)
        std::memcpy(buffer, song->data + offset, size_t(n));
    return n;
}

struct Reading {
    double start;
    LoudnessEnvelope envelope;
};

int addSamples(void *context, double first, const float *interleaved, int64_t frames, int channels, int rate)
{
    auto *reading = static_cast<Reading *>(context);
    check(frames > 0 && channels > 0 && rate > 0, "a piece holds sound");
    check(std::isfinite(first) && first >= reading->start - 1e-6, "no sound before the stretch");
    for (int64_t i = 0; i < frames * channels; ++i)
        check(interleaved[i] >= -1.0f && interleaved[i] <= 1.0f, "samples in [-1, 1]");
    reading->envelope.add({first, interleaved, frames, channels, rate});
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t pick = data[0];
    Song song{data + 1, int64_t(size - 1)};
    Reading reading{(pick >> 5) * 0.25, {}};
    const tunora_stream_decode_job job{
        {&song, song.size, readSong}, kDemuxers[(pick & 7) % 6], reading.start, -1, &reading, addSamples,
    };
    const int result = decodeThroughLibav(job);
    check(result == TUNORA_STREAM_DECODE_DONE || result == TUNORA_STREAM_DECODE_FAILED, "done or failed");
    const SongOverview overview = reading.envelope.overview();
    for (const float level : overview.levels)
        check(level >= 0.0f && level <= 1.0f, "levels in [0, 1]");
    for (const float column : overviewColumns(overview, overview.seconds(), 97))
        check(column >= 0.0f && column <= 1.0f, "columns in [0, 1]");

    static MemoryFile memory;
    const ReadFile file(memory.fill(song.data, size_t(song.size)));
    const std::atomic<bool> running{false};
    if (const std::optional<SongOverview> estimate = estimateMpegOverview(file, running)) {
        check(estimate->estimate && !estimate->levels.empty(), "an estimate holds levels");
        for (const float level : estimate->levels)
            check(level >= 0.0f && level <= 1.0f, "estimated levels in [0, 1]");
    }
    return 0;
}
