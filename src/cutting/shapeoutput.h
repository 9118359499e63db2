#pragma once

#include "ringtoneeffects.h"

#include <QtGlobal>

#include <vector>

// The effects put on an output once it is written, before it is committed: the output is
// read back, changed in place and written again. Nothing happens when no effect is chosen,
// so such an output stays byte for byte what the cut wrote.
namespace tunora {

class AtomicFileWriter;

enum class OutputKind {
    Mpeg,  // MPEG audio frames, as a byte slice or whole frames
    Wav,   // a RIFF/WAVE file
    Flac,  // a FLAC file: encoded again, losslessly
    Other, // a format whose sound cannot be changed without re-encoding it
};

EffectsApplied shapeOutput(AtomicFileWriter &out, OutputKind kind, const RingtoneEffects &effects);

// How long each segment of a merge fades out and the next in at a joint, in place of the
// silenced granules a merge without effects has there.
constexpr double kJointFadeSeconds = 0.05;

// A merge of MPEG segments, `segmentFrames` frames each in order (after the info frame, if
// any): each fades in and out over kJointFadeSeconds at every joint, and the merge's two outer
// ends take the chosen fades.
EffectsApplied shapeMerge(AtomicFileWriter &out, const std::vector<qint64> &segmentFrames,
                          const RingtoneEffects &effects);

} // namespace tunora
