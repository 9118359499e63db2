#include "mpegestimate.h"

#include "cutting/audiobounds.h"
#include "cutting/layer3sideinfo.h"
#include "cutting/mpegframes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tunora {

namespace {

// A granule's RMS grows by 2^(1/4) a step of global gain, and with the bits its audio data
// takes: fitted to the decoded sound of LAME's tones and noise, CBR and VBR, mono and stereo
// (log2 RMS = (gain - 210) / 4 + 1.5 log2(bits) + c, c from -9 to +3.5 by the kind of sound,
// a spread of 0.5 to 0.7 within a song). The strip draws an overview against its own loudest
// column, so the lowest c is taken: no song's estimate reaches 1 and is flattened there.
constexpr double kGainStepsPerDoubling = 4;
constexpr int kUnitGain = 210;
constexpr double kBitsExponent = 1.5;
constexpr double kOffset = -12;
// Granules on either side that a granule's median takes in.
constexpr size_t kMedianReach = 2;
// A look at `cancelled` every so many frames.
constexpr int kFramesBetweenChecks = 256;

double granuleSquare(const GranuleSizes &g)
{
    if (g.part23Length == 0)
        return 0;
    const double log2Level = (g.globalGain - kUnitGain) / kGainStepsPerDoubling
        + kBitsExponent * std::log2(double(g.part23Length) + 1) + kOffset;
    return std::exp2(2 * log2Level);
}

} // namespace

std::optional<SongOverview> estimateMpegOverview(const ReadFile &file, const std::atomic<bool> &cancelled)
{
    const AudioBounds bounds = findAudioBounds(file);
    MpegFrameWalk walk(file, bounds.begin, bounds.end);
    std::vector<double> squares; // per granule, the channels' mean
    double granuleSeconds = 0;
    while (const std::optional<MpegFrame> frame = walk.next()) {
        const MpegHeader &h = frame->header;
        if (h.format.layer != 3)
            return std::nullopt;
        if (frame->index % kFramesBetweenChecks == 0 && cancelled.load(std::memory_order_relaxed))
            return std::nullopt;
        const unsigned char *bytes = walk.headBytes(*frame);
        const int granules = granulesPerFrame(h.format);
        granuleSeconds = double(h.samplesPerFrame) / granules / h.format.sampleRate;
        for (int g = 0; g < granules; ++g) {
            double sum = 0;
            for (int c = 0; c < h.format.channels; ++c)
                sum += granuleSquare(granuleSizes(bytes, h, g, c));
            squares.push_back(sum / h.format.channels);
        }
    }
    if (squares.empty() || cancelled.load())
        return std::nullopt;
    // A sudden change takes one granule many bits at a high gain, far louder than it sounds:
    // each granule counts as the median of those around it.
    std::vector<double> steady(squares.size());
    for (size_t i = 0; i < squares.size(); ++i) {
        // At the song's ends the granules around are taken from one side: an encoder's first
        // granules spend the most bits of all.
        const size_t width = std::min(squares.size(), 2 * kMedianReach + 1);
        const size_t from = std::min(i - std::min(i, kMedianReach), squares.size() - width);
        const size_t to = from + width;
        std::array<double, 2 * kMedianReach + 1> around{};
        std::copy(squares.begin() + std::ptrdiff_t(from), squares.begin() + std::ptrdiff_t(to), around.begin());
        const auto middle = around.begin() + std::ptrdiff_t((to - from) / 2);
        std::nth_element(around.begin(), middle, around.begin() + std::ptrdiff_t(to - from));
        steady[i] = *middle;
    }
    std::vector<double> blockSquares;
    std::vector<int> counts;
    for (size_t i = 0; i < steady.size(); ++i) {
        const auto block = size_t(double(i) * granuleSeconds / SongOverview::kBlockSeconds);
        if (block >= blockSquares.size()) {
            blockSquares.resize(block + 1, 0.0);
            counts.resize(block + 1, 0);
        }
        blockSquares[block] += steady[i];
        ++counts[block];
    }
    SongOverview overview;
    overview.estimate = true;
    overview.levels.resize(blockSquares.size(), 0.0f);
    for (size_t b = 0; b < blockSquares.size(); ++b) {
        if (counts[b] > 0)
            overview.levels[b] = float(std::min(1.0, std::sqrt(blockSquares[b] / counts[b])));
    }
    return overview;
}

} // namespace tunora
