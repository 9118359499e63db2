#include "markedspan.h"

#include "platform/numbers/numbers.h"

#include <algorithm>
#include <cmath>

namespace tunora {

MarkedSpan markedSpanOf(const SongRow &row)
{
    const double start = numberFromText(row.start);
    const double end = numberFromText(row.end);
    if (!std::isfinite(start) || !std::isfinite(end))
        return {};
    return {std::max(start, 0.0), end};
}

} // namespace tunora
