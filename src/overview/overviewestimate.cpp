#include "overviewestimate.h"

#include "loudnessenvelope.h"
#include "mpegestimate.h"
#include "songdemuxer.h"

#include "cutting/container.h"
#include "cutting/streamdecode.h"
#include "cutting/wavlayout.h"
#include "platform/files/fileio.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace tunora {

namespace {

// Enough looks for the strip's columns to show the song's shape; each opens the song anew, so
// their number sets the time.
constexpr int kLooks = 64;
constexpr double kLookSeconds = 0.1;
// Longer than any song.
constexpr double kMostSeconds = 24 * 3600.0;

struct Look {
    double squares = 0;
    int64_t frames = 0;
    StreamDecode result = StreamDecode::Failed;
};

// The mono mix's squares of `samples` [from, to).
double monoSquares(const DecodedSamples &samples, int64_t from, int64_t to)
{
    return mixSquares(samples.interleaved + from * samples.channels, to - from, samples.channels);
}

size_t lookCount(double seconds)
{
    return size_t(std::clamp(int(seconds / kLookSeconds), 1, kLooks));
}

// Where look `k` of `count` over `seconds` starts: the middle of its share of the song.
double lookStart(size_t k, size_t count, double seconds)
{
    return std::max(0.0, (double(k) + 0.5) * seconds / double(count) - kLookSeconds / 2);
}

// The looks' indices from coarse to fine: the first, the middle, the quarters, the eighths...
// so those decoded by any time are spread over the whole song.
std::vector<size_t> coarseToFine(size_t count)
{
    std::vector<size_t> order;
    std::vector<bool> taken(count, false);
    size_t stride = 1;
    while (stride < count)
        stride *= 2;
    for (; stride >= 1; stride /= 2) {
        for (size_t k = 0; k < count; k += stride) {
            if (!taken[k]) {
                taken[k] = true;
                order.push_back(k);
            }
        }
    }
    return order;
}

// Decodes looks in `order`, taking the next one not yet taken by the other thread, until the
// time is up.
void decodeLooks(const ReadFile &file, const char *demuxer, double seconds, const std::vector<size_t> &order,
                 std::atomic<size_t> &next, std::chrono::steady_clock::time_point until, std::vector<Look> &looks,
                 const std::atomic<bool> &cancelled)
{
    for (size_t i = next++; i < order.size(); i = next++) {
        if (cancelled.load(std::memory_order_relaxed) || (i > 0 && std::chrono::steady_clock::now() > until))
            return;
        Look &look = looks[order[i]];
        const double start = lookStart(order[i], looks.size(), seconds);
        look.result = streamDecode(file, start, start + kLookSeconds, demuxer, [&](const DecodedSamples &s) {
            look.squares += monoSquares(s, 0, s.frames);
            look.frames += s.frames;
            return !cancelled.load(std::memory_order_relaxed);
        });
        if (look.result == StreamDecode::Failed || look.result == StreamDecode::Unavailable)
            return; // a song one look cannot decode is not worth the others
    }
}

// Each open of a WAV file costs libavformat a look for other codecs inside its samples, more
// than decoding a look: the looks' samples are gathered, one after another, into one small
// WAV in memory that is decoded at once. Nothing for a WAV whose samples come in blocks.
std::optional<std::vector<Look>> decodeWavLooks(const ReadFile &file, double &seconds,
                                               const std::atomic<bool> &cancelled)
{
    const std::optional<WavLayout> layout = parseWav(file);
    if (!layout || !layout->plainSamples || layout->sampleRate == 0 || layout->blockAlign == 0)
        return std::nullopt;
    const qint64 songFrames = layout->dataSize / layout->blockAlign;
    if (songFrames <= 0 || double(songFrames) / layout->sampleRate > kMostSeconds)
        return std::nullopt;
    seconds = double(songFrames) / layout->sampleRate;
    std::vector<Look> looks(lookCount(seconds));
    const auto lookFrames = qint64(std::llround(kLookSeconds * layout->sampleRate));
    QByteArray samples(qint64(looks.size()) * lookFrames * layout->blockAlign, '\0');
    for (size_t k = 0; k < looks.size(); ++k) {
        const qint64 first = std::min(songFrames, qint64(lookStart(k, looks.size(), seconds) * layout->sampleRate));
        const qint64 frames = std::min(lookFrames, songFrames - first);
        char *to = samples.data() + qint64(k) * lookFrames * layout->blockAlign;
        if (frames > 0 && file.readAt(layout->dataOffset + first * layout->blockAlign, to, frames * layout->blockAlign) < 0)
            return std::nullopt;
    }
    const QByteArray wav = wavHeader(*layout, samples.size()) + samples;
    const StreamDecode result = streamDecode(wav, 0, -1, "wav", [&](const DecodedSamples &s) {
        for (int64_t i = 0; i < s.frames;) {
            // The samples up to the end of this look, in one go.
            const auto k = size_t(std::max(0.0, (s.firstSecond + double(i) / s.sampleRate) / kLookSeconds + 1e-9));
            if (k >= looks.size())
                break;
            const int64_t end = std::clamp<int64_t>(
                std::llround(double(k + 1) * kLookSeconds * s.sampleRate - s.firstSecond * s.sampleRate), i + 1, s.frames);
            looks[k].squares += monoSquares(s, i, end);
            looks[k].frames += end - i;
            i = end;
        }
        return !cancelled.load(std::memory_order_relaxed);
    });
    if (result != StreamDecode::Done)
        return std::nullopt;
    return looks;
}

// A look costs an open of the song, from under a millisecond (FLAC) to several (a long M4A's
// tables): as many are decoded as the time allows, and each one left out takes the level of
// the nearest one decoded.
std::vector<Look> decodeSpreadLooks(const ReadFile &file, const char *demuxer, double seconds,
                                    const std::atomic<bool> &cancelled, std::chrono::milliseconds lookingTime)
{
    std::vector<Look> looks(lookCount(seconds));
    const std::vector<size_t> order = coarseToFine(looks.size());
    std::atomic<size_t> next{0};
    const auto until = std::chrono::steady_clock::now() + lookingTime;
    // Positioned reads share the file between the threads.
    std::thread other([&] { decodeLooks(file, demuxer, seconds, order, next, until, looks, cancelled); });
    decodeLooks(file, demuxer, seconds, order, next, until, looks, cancelled);
    other.join();
    std::vector<Look> filled = looks;
    for (size_t k = 0; k < looks.size(); ++k) {
        for (size_t d = 1; filled[k].frames == 0 && d < looks.size(); ++d) {
            if (k >= d && looks[k - d].frames > 0)
                filled[k] = looks[k - d];
            else if (k + d < looks.size() && looks[k + d].frames > 0)
                filled[k] = looks[k + d];
        }
    }
    return filled;
}

// Each look's RMS stands for its share of the song.
std::optional<SongOverview> overviewOfLooks(const std::vector<Look> &looks, double seconds)
{
    if (looks.empty() || !(seconds > 0) || std::none_of(looks.begin(), looks.end(), [](const Look &l) { return l.frames > 0; }))
        return std::nullopt;
    SongOverview overview;
    overview.estimate = true;
    overview.levels.resize(size_t(std::ceil(seconds / SongOverview::kBlockSeconds)), 0.0f);
    const double blocksPerLook = double(overview.levels.size()) / double(looks.size());
    for (size_t b = 0; b < overview.levels.size(); ++b) {
        const Look &look = looks[std::min(looks.size() - 1, size_t(double(b) / blocksPerLook))];
        if (look.frames > 0)
            overview.levels[b] = float(std::min(1.0, std::sqrt(look.squares / double(look.frames))));
    }
    return overview;
}

std::optional<SongOverview> sampleOverview(const ReadFile &file, Container container, double seconds,
                                           const std::atomic<bool> &cancelled, std::chrono::milliseconds lookingTime)
{
    std::optional<std::vector<Look>> looks;
    if (container == Container::Wav)
        looks = decodeWavLooks(file, seconds, cancelled);
    if (!looks) {
        if (!(seconds > 0) || seconds > kMostSeconds)
            return std::nullopt;
        looks = decodeSpreadLooks(file, demuxerOf(container), seconds, cancelled, lookingTime);
    }
    if (cancelled.load())
        return std::nullopt;
    return overviewOfLooks(*looks, seconds);
}

} // namespace

std::optional<SongOverview> estimateOverview(const FilePath &path, double knownSeconds,
                                             const std::atomic<bool> &cancelled, std::chrono::milliseconds lookingTime)
{
    const ReadFile file(path);
    if (!file.isOpen())
        return std::nullopt;
    const Container container = detectContainer(file);
    if (container == Container::Unrecognised)
        return estimateMpegOverview(file, cancelled);
    return sampleOverview(file, container, knownSeconds, cancelled, lookingTime);
}

} // namespace tunora
