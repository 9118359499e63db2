#include "flacgain.h"

#include "fadecurve.h"
#include "streamcopy.h"
#include "streamcopyentry.h"
#include "streamdecode.h"

namespace tunora {

namespace {

struct GainCurve {
    const RingtoneEffects &effects;
    double levelDb;
};

double gainOf(void *context, int64_t frame, int64_t frames, int sampleRate) noexcept
{
    const auto *curve = static_cast<const GainCurve *>(context);
    return sampleFrameGain(curve->effects, curve->levelDb, frame, frames, sampleRate);
}

} // namespace

bool applyFlacGains(QByteArray &file, const RingtoneEffects &effects, double levelDb)
{
    const StreamCopyEntry &entry = streamCopyEntry();
    if (!entry.flacGain)
        return false;
    GainCurve curve{effects, levelDb};
    QByteArray written;
    const tunora_flac_gain_job job{byteSource(file), byteSink(written), &curve, gainOf};
    if (entry.flacGain(&job) != TUNORA_FLAC_GAIN_WRITTEN)
        return false;
    file = std::move(written);
    return true;
}

} // namespace tunora
