#include "decodedpeak.h"

#include "streamdecode.h"

#include <algorithm>
#include <cmath>

namespace tunora {

std::vector<std::optional<double>> decodedPeaksDb(const QByteArray &bytes, const char *demuxer,
                                                   const std::vector<double> &stretchEnds, double guard)
{
    std::vector<double> peaks(stretchEnds.size(), 0.0);
    const StreamDecode result = streamDecode(bytes, 0.0, -1.0, demuxer, [&](const DecodedSamples &piece) {
        for (int64_t f = 0; f < piece.frames; ++f) {
            const double t = piece.firstSecond + double(f) / piece.sampleRate;
            const auto end = std::lower_bound(stretchEnds.begin(), stretchEnds.end(), t);
            if (end == stretchEnds.end())
                continue;
            const size_t stretch = size_t(end - stretchEnds.begin());
            const double start = stretch == 0 ? 0.0 : stretchEnds[stretch - 1];
            // The first stretch has no joint in front, the last none behind.
            if ((stretch > 0 && t < start + guard) || (stretch + 1 < stretchEnds.size() && t > *end - guard))
                continue;
            for (int c = 0; c < piece.channels; ++c)
                peaks[stretch] = std::max(peaks[stretch], double(std::abs(piece.interleaved[f * piece.channels + c])));
        }
        return true;
    });
    std::vector<std::optional<double>> decibels(stretchEnds.size());
    if (result != StreamDecode::Done)
        return decibels;
    for (size_t i = 0; i < peaks.size(); ++i)
        if (peaks[i] > 0 && std::isfinite(peaks[i]))
            decibels[i] = 20 * std::log10(peaks[i]);
    return decibels;
}

} // namespace tunora
