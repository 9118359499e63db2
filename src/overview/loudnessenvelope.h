#pragma once

#include "songoverview.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tunora {

struct DecodedSamples;

// The sum of the squares of the channels' mean over `frames` interleaved frames.
double mixSquares(const float *interleaved, int64_t frames, int channels);

// Sums up decoded sound into the overview's blocks by each sample's own time, so pieces may
// come in any order and from stretches decoded side by side.
class LoudnessEnvelope {
public:
    void add(const DecodedSamples &samples);
    // Another envelope's sound, as if it had been added here.
    void merge(const LoudnessEnvelope &other);
    SongOverview overview() const;

private:
    void grow(size_t blocks);

    std::vector<double> m_squares; // of the channels' mean, per block
    std::vector<int64_t> m_counts;
};

} // namespace tunora
