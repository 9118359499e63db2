#pragma once

#include <vector>

// A song's loudness over its whole length: the RMS of its sound in short blocks, from which a
// strip of any width takes its columns.
namespace tunora {

struct SongOverview {
    static constexpr double kBlockSeconds = 0.05;

    std::vector<float> levels; // RMS in [0, 1] of block k, which starts at k * kBlockSeconds
    bool estimate = false;     // from a quick look at the song, not yet its decoded sound

    double seconds() const { return double(levels.size()) * kBlockSeconds; }
};

// The RMS of each of `count` columns that share [0, songSeconds) evenly; a column past the
// overview's end is 0. `songSeconds` <= 0 takes the overview's own length.
std::vector<float> overviewColumns(const SongOverview &overview, double songSeconds, int count);

} // namespace tunora
