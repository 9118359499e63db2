#include "shapeoutput.h"

#include "decodedpeak.h"
#include "flacgain.h"
#include "mpeggain.h"
#include "wavgain.h"

#include "platform/files/fileio.h"

#include <cmath>
#include <functional>
#include <limits>

namespace tunora {

namespace {

// Where 响度统一 puts a ringtone's loudest sample: just below full scale, with room for the
// rounding of the samples it scales.
constexpr double kTargetPeakDb = -1.5;

// An MP3 gain step scales the sound by exactly 2^(1/4).
const double kMpegStepDb = 20.0 * std::log10(std::pow(2.0, 0.25));
constexpr double kLoudestPeakDb = -1.0;
// Past this a granule's gain would meet its limit: the song is silence, or nearly.
constexpr int kMostSteps = 40;

// Whole steps that bring a decoded peak to between -2.5 and -1 dBFS, never above.
int mpegLevelSteps(std::optional<double> peakDb)
{
    if (!peakDb)
        return 0;
    return qBound(-kMostSteps, int(std::floor((kLoudestPeakDb - *peakDb) / kMpegStepDb)), kMostSteps);
}

// The fades go first, so the peak is measured on what will be heard: a loud first granule
// that the fade-in takes down does not hold the rest down.
bool applyMpeg(QByteArray &bytes, const RingtoneEffects &effects)
{
    if (!applyMpegGains(bytes, effects))
        return false;
    if (effects.evenLoudness) {
        const std::vector<double> whole{std::numeric_limits<double>::infinity()};
        const int steps = mpegLevelSteps(decodedPeaksDb(bytes, "mp3", whole, 0.0).front());
        if (steps != 0)
            applyMpegGains(bytes, RingtoneEffects{}, steps);
    }
    return true;
}

// The gain that brings the output's peak to kTargetPeakDb: none without 响度统一 (the peak is
// then not measured) or for silence.
template <typename PeakOf>
double levelDb(const RingtoneEffects &effects, PeakOf peakDb)
{
    if (!effects.evenLoudness)
        return 0.0;
    const std::optional<double> peak = peakDb();
    return peak ? kTargetPeakDb - *peak : 0.0;
}

std::optional<double> flacPeakDb(const QByteArray &bytes)
{
    const std::vector<double> whole{std::numeric_limits<double>::infinity()};
    return decodedPeaksDb(bytes, "flac", whole, 0.0).front();
}

bool applyTo(QByteArray &bytes, OutputKind kind, const RingtoneEffects &effects)
{
    switch (kind) {
    case OutputKind::Mpeg:
        return applyMpeg(bytes, effects);
    case OutputKind::Wav:
        return applyWavGains(bytes, effects, levelDb(effects, [&] { return wavPeakDb(bytes); }));
    case OutputKind::Flac:
        return applyFlacGains(bytes, effects, levelDb(effects, [&] { return flacPeakDb(bytes); }));
    case OutputKind::Other:
        break;
    }
    return false;
}

EffectsApplied rewrite(AtomicFileWriter &out, const std::function<bool(QByteArray &)> &change)
{
    QByteArray bytes;
    // A failed read back leaves the output as written; a failed write shows when it is committed.
    if (!out.readBack(bytes) || !change(bytes))
        return EffectsApplied::NotForThisFile;
    if (out.truncate(0))
        out.write(bytes.constData(), bytes.size());
    return EffectsApplied::Applied;
}

// Each segment of a merge (already faded) to the same peak, measured away from the joints.
void bringToOnePeak(QByteArray &bytes, std::vector<GainSpan> spans)
{
    const std::vector<MpegFrameAt> frames = layer3Frames(bytes);
    if (frames.empty())
        return;
    const double frameSeconds = double(frames.front().header.samplesPerFrame) / frames.front().header.format.sampleRate;
    std::vector<double> ends;
    qint64 counted = 0;
    for (const GainSpan &span : spans) {
        counted += span.frames;
        ends.push_back(double(counted) * frameSeconds);
    }
    ends.back() = std::numeric_limits<double>::infinity();
    const std::vector<std::optional<double>> peaks = decodedPeaksDb(bytes, "mp3", ends, kJointFadeSeconds);
    for (size_t i = 0; i < spans.size(); ++i) {
        spans[i].effects = {};
        spans[i].levelSteps = mpegLevelSteps(peaks[i]);
    }
    applyMpegGains(bytes, spans);
}

} // namespace

EffectsApplied shapeMerge(AtomicFileWriter &out, const std::vector<qint64> &segmentFrames,
                          const RingtoneEffects &effects)
{
    if (!effects.any())
        return EffectsApplied::None;
    std::vector<GainSpan> spans;
    for (size_t i = 0; i < segmentFrames.size(); ++i) {
        RingtoneEffects own;
        own.fadeIn = i > 0 || effects.fadeIn;
        own.fadeInSeconds = i > 0 ? kJointFadeSeconds : effects.fadeInSeconds;
        own.fadeOut = i + 1 < segmentFrames.size() || effects.fadeOut;
        own.fadeOutSeconds = i + 1 < segmentFrames.size() ? kJointFadeSeconds : effects.fadeOutSeconds;
        spans.push_back({segmentFrames[i], own, 0});
    }
    return rewrite(out, [&](QByteArray &bytes) {
        if (!applyMpegGains(bytes, spans))
            return false;
        if (effects.evenLoudness)
            bringToOnePeak(bytes, spans);
        return true;
    });
}

EffectsApplied shapeOutput(AtomicFileWriter &out, OutputKind kind, const RingtoneEffects &effects)
{
    if (!effects.any())
        return EffectsApplied::None;
    if (kind == OutputKind::Other)
        return EffectsApplied::NotForThisFile;
    return rewrite(out, [&](QByteArray &bytes) { return applyTo(bytes, kind, effects); });
}

} // namespace tunora
