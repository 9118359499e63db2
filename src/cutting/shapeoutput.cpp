#include "shapeoutput.h"

#include "mpeggain.h"
#include "wavgain.h"

#include "platform/files/fileio.h"

#include <functional>

namespace tunora {

namespace {

// Where 响度统一 puts a ringtone's loudest sample: just below full scale, with room for the
// rounding of the samples it scales.
constexpr double kTargetPeakDb = -1.5;

double wavLevelDb(const QByteArray &bytes, const RingtoneEffects &effects)
{
    if (!effects.evenLoudness)
        return 0.0;
    const std::optional<double> peak = wavPeakDb(bytes);
    return peak ? kTargetPeakDb - *peak : 0.0;
}

bool applyTo(QByteArray &bytes, OutputKind kind, const RingtoneEffects &effects)
{
    switch (kind) {
    case OutputKind::Mpeg:
        // 响度统一 needs the decoded peak, which is not measured here yet: fades only.
        return (effects.fadeIn || effects.fadeOut) && applyMpegGains(bytes, effects);
    case OutputKind::Wav:
        return applyWavGains(bytes, effects, wavLevelDb(bytes, effects));
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
    return rewrite(out, [&spans](QByteArray &bytes) { return applyMpegGains(bytes, spans); });
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
