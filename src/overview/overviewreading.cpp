#include "overviewreading.h"

#include "loudnessenvelope.h"
#include "songdemuxer.h"

#include "cutting/container.h"
#include "cutting/streamdecode.h"
#include "platform/files/fileio.h"

#include <thread>

namespace tunora {

namespace {

// Below this a second thread costs more than it saves.
constexpr double kShortestSplitSeconds = 20;

struct Stretch {
    double start = 0;
    double end = -1;
    LoudnessEnvelope envelope;
    StreamDecode result = StreamDecode::Failed;
};

void decodeStretch(const ReadFile &file, const char *demuxer, Stretch &stretch, const std::atomic<bool> &cancelled)
{
    stretch.result = streamDecode(file, stretch.start, stretch.end, demuxer, [&](const DecodedSamples &samples) {
        stretch.envelope.add(samples);
        return !cancelled.load(std::memory_order_relaxed);
    });
}

} // namespace

std::optional<SongOverview> readOverview(const FilePath &path, double knownSeconds, const std::atomic<bool> &cancelled)
{
    const ReadFile file(path);
    if (!file.isOpen())
        return std::nullopt;
    const char *demuxer = demuxerOf(detectContainer(file));
    Stretch first;
    if (knownSeconds < kShortestSplitSeconds) {
        decodeStretch(file, demuxer, first, cancelled);
    } else {
        // Positioned reads share the file between the threads.
        Stretch second;
        first.end = second.start = knownSeconds / 2;
        std::thread other([&] { decodeStretch(file, demuxer, second, cancelled); });
        decodeStretch(file, demuxer, first, cancelled);
        other.join();
        if (second.result != StreamDecode::Done)
            first.result = second.result;
        first.envelope.merge(second.envelope);
    }
    if (first.result != StreamDecode::Done || cancelled.load())
        return std::nullopt;
    SongOverview overview = first.envelope.overview();
    if (overview.levels.empty())
        return std::nullopt;
    return overview;
}

} // namespace tunora
