#include "songoverview.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tunora {

std::vector<float> overviewColumns(const SongOverview &overview, double songSeconds, int count)
{
    std::vector<float> columns(size_t(std::max(count, 0)), 0.0f);
    if (songSeconds <= 0)
        songSeconds = overview.seconds();
    if (count <= 0 || songSeconds <= 0 || overview.levels.empty())
        return columns;
    const double blocksPerColumn = songSeconds / SongOverview::kBlockSeconds / count;
    const auto blocks = std::ptrdiff_t(overview.levels.size());
    // Where a column's edge falls on a block's start, rounding must not move it a block.
    const auto blockAt = [blocksPerColumn](int column) { return std::ptrdiff_t(std::floor(column * blocksPerColumn + 1e-6)); };
    for (int c = 0; c < count; ++c) {
        // Each column takes the blocks whose start lies in it, and at least the one under it.
        const std::ptrdiff_t from = blockAt(c);
        const std::ptrdiff_t to = std::max(from + 1, blockAt(c + 1));
        double squares = 0;
        std::ptrdiff_t n = 0;
        for (std::ptrdiff_t b = from; b < std::min(to, blocks); ++b, ++n)
            squares += double(overview.levels[size_t(b)]) * overview.levels[size_t(b)];
        columns[size_t(c)] = n ? float(std::sqrt(squares / n)) : 0.0f;
    }
    return columns;
}

} // namespace tunora
