#pragma once

// What the user chose to do to a ringtone's sound besides cutting it. All off: a cut or a
// merge is written exactly as without effects.
namespace tunora {

struct RingtoneEffects {
    bool fadeIn = false;
    bool fadeOut = false;
    bool evenLoudness = false; // 响度统一: the peak brought to just below full scale
    double fadeInSeconds = 1.0;
    double fadeOutSeconds = 2.0;

    bool any() const { return fadeIn || fadeOut || evenLoudness; }
};

// How a cut's effects went.
enum class EffectsApplied {
    None,           // none was chosen
    Applied,        // the output carries them
    NotForThisFile, // the output's format cannot take them: it is written as without them
};

} // namespace tunora
