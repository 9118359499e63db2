#pragma once

#include "ringtoneeffects.h"

#include <QByteArray>

// Fades of a FLAC file: the same curve as a WAV fade on its samples, the file encoded again
// (losslessly) through the stream-copy module.
namespace tunora {

// The FLAC file in memory with its samples scaled along the fades of `effects` and by `levelDb`
// more, rounded and clipped to its bits; the samples neither touches stay exactly as they
// were. False when it cannot be done (no module, not 16- or 24-bit FLAC, damaged): `file` is
// unchanged.
bool applyFlacGains(QByteArray &file, const RingtoneEffects &effects, double levelDb = 0.0);

} // namespace tunora
