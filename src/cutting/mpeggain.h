#pragma once

#include "mpegheader.h"
#include "ringtoneeffects.h"

#include <QByteArray>

#include <vector>

// Fades and level changes of an MP3 stream without re-encoding it: each Layer III granule's
// global gain (1.5 dB a step) is moved, its audio data left as it is.
namespace tunora {

struct MpegFrameAt {
    qint64 offset = 0;
    MpegHeader header;
};

// The whole Layer III frames of a stream held in memory, found as a decoder finds them: the
// first where two headers of one format follow each other (bytes of a cut frame or a tag in
// front are passed over), then frame by frame, found again the same way after bytes that are
// not a frame. An info frame (Xing, Info, VBRI) in front is left out: it is not played. A
// frame the stream ends inside is left out.
std::vector<MpegFrameAt> layer3Frames(const QByteArray &stream);

// A run of the stream's frames that takes one set of effects: a whole ringtone, or one segment
// of a merge, whose fades then run over its own frames.
struct GainSpan {
    qint64 frames = -1; // how many frames it covers; -1: every frame left
    RingtoneEffects effects;
    int levelSteps = 0; // 1.5 dB steps more on every granule, up when positive
};

// Every granule of each span lowered along the span's fades, to the step at or below the curve,
// and moved by
// its levelSteps. False when the stream holds no Layer III frame, or when the edit would make
// it parse as other frames: nothing was changed.
bool applyMpegGains(QByteArray &stream, const std::vector<GainSpan> &spans);

inline bool applyMpegGains(QByteArray &stream, const RingtoneEffects &effects, int levelSteps = 0)
{
    return applyMpegGains(stream, {GainSpan{-1, effects, levelSteps}});
}

} // namespace tunora
