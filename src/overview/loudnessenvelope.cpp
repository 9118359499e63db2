#include "loudnessenvelope.h"

#include "cutting/streamdecode.h"

#include <algorithm>
#include <cmath>

namespace tunora {

namespace {

// Longer than any song: a time stamp past it is damage, and would make the blocks huge.
constexpr double kMostSeconds = 24 * 3600.0;

} // namespace

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
        double squares = 0;
        for (; i < end; ++i) {
            float mono = 0;
            for (int c = 0; c < samples.channels; ++c)
                mono += s[i * samples.channels + c];
            mono /= float(samples.channels);
            squares += double(mono) * mono;
        }
        m_squares[block] += squares;
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
