#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

// How loud a cut's output is at its loudest, found by decoding it (through the stream-copy
// module): what 响度统一 brings to just below full scale.
namespace tunora {

// The loudest decoded sample of each stretch of the output, in dB of full scale, the stretches
// ending at `stretchEnds` seconds (the last one at the end of the sound). Samples within
// `guard` seconds of a stretch's ends are left out, since a decoder's delay moves the sound a
// little. Nothing for a stretch that is silent, or for all of them when the output cannot be
// decoded.
std::vector<std::optional<double>> decodedPeaksDb(const QByteArray &bytes, const char *demuxer,
                                                   const std::vector<double> &stretchEnds, double guard);

} // namespace tunora
