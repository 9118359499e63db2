#pragma once

#include "ringtoneeffects.h"

#include <QByteArray>

#include <optional>

// Fades of a WAV file's samples: the same curve as an MP3 fade, applied sample by sample.
namespace tunora {

// The samples of a RIFF/WAVE file in memory scaled along the fades of `effects` and by
// `levelDb` more, rounded to the nearest value the format holds and clipped at its limits.
// Integer PCM of 8 to 32 bits and 32- or 64-bit float; false for anything else (A-law, mu-law,
// compressed): nothing was changed.
bool applyWavGains(QByteArray &file, const RingtoneEffects &effects, double levelDb = 0.0);

// The loudest sample of such a file in dB of full scale; nothing when it is not one of those
// formats or holds only silence.
std::optional<double> wavPeakDb(const QByteArray &file);

} // namespace tunora
