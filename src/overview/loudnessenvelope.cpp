#include "loudnessenvelope.h"

#include "cutting/streamdecode.h"

#include <algorithm>
#include <cmath>

namespace tunora {

namespace {

// Longer than any song: a time stamp past it is damage, and would make the blocks huge.
constexpr double kMostSeconds = 24 * 3600.0;

} // namespace

// Four sums side by side, since this runs over every sample of a song and one sum waits on
// the last.
double mixSquares(const float *s, int64_t frames, int channels)
{
    double sums[4] = {0, 0, 0, 0};
    int64_t i = 0;
    if (channels == 1 || channels == 2) {
        const auto mono = [s, channels](int64_t at) {
            return channels == 1 ? double(s[at]) : double(s[2 * at]) + double(s[2 * at + 1]);
        };
        for (; i + 4 <= frames; i += 4) {
            for (int k = 0; k < 4; ++k) {
                const double m = mono(i + k);
                sums[k] += m * m;
            }
        }
        for (; i < frames; ++i)
            sums[0] += mono(i) * mono(i);
    } else {
        for (; i < frames; ++i) {
            double m = 0;
            for (int c = 0; c < channels; ++c)
                m += s[i * channels + c];
            sums[0] += m * m;
        }
    }
    return (sums[0] + sums[1] + sums[2] + sums[3]) / (double(channels) * channels);
}

void LoudnessEnvelope::grow(size_t blocks)
{
    if (blocks > m_squares.size()) {
        m_squares.resize(blocks, 0.0);
        m_counts.resize(blocks, 0);
    }
}

void LoudnessEnvelope::add(const DecodedSamples &samples)
{
    if (samples.frames <= 0 || samples.channels <= 0 || samples.sampleRate <= 0 || !std::isfinite(samples.firstSecond)
        || samples.firstSecond < 0 || samples.firstSecond > kMostSeconds)
        return;
    const double blockFrames = SongOverview::kBlockSeconds * samples.sampleRate;
    const double firstFrame = samples.firstSecond * samples.sampleRate;
    const float *s = samples.interleaved;
    int64_t i = 0;
    while (i < samples.frames) {
        // The frames up to the end of this block, added in one go.
        const auto block = size_t((firstFrame + double(i)) / blockFrames);
        const auto blockEnd = int64_t(std::ceil(double(block + 1) * blockFrames - firstFrame));
        const int64_t end = std::clamp<int64_t>(blockEnd, i + 1, samples.frames);
        grow(block + 1);
        m_counts[block] += end - i;
        m_squares[block] += mixSquares(s + i * samples.channels, end - i, samples.channels);
        i = end;
    }
}

void LoudnessEnvelope::merge(const LoudnessEnvelope &other)
{
    grow(other.m_squares.size());
    for (size_t b = 0; b < other.m_squares.size(); ++b) {
        m_squares[b] += other.m_squares[b];
        m_counts[b] += other.m_counts[b];
    }
}

SongOverview LoudnessEnvelope::overview() const
{
    SongOverview overview;
    overview.levels.resize(m_squares.size(), 0.0f);
    for (size_t b = 0; b < m_squares.size(); ++b) {
        if (m_counts[b] > 0)
            overview.levels[b] = float(std::min(1.0, std::sqrt(m_squares[b] / double(m_counts[b]))));
    }
    return overview;
}

} // namespace tunora
