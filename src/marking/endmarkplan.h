#pragma once

#include <chrono>

namespace tunora {

// The end-mark rule: the play position, rounded to two decimals, is at or past the end
// mark. The end mark comes from its text as a 32-bit number like every mark and is taken
// back to its two decimals: 12.35 reads as 12.3500004, further above the decimal than the
// tolerance, and the rounded position 12.35 would otherwise not count as reaching it.
bool endMarkReached(double position, float endMark);

// The first position that reaches the end mark under the rule above: half a hundredth
// before the end mark's two decimals, where the rounded position becomes the end mark.
double firstPositionReaching(double endMark);

// How long to wait before the next end-mark check. While playback advances, the check is
// planned for the moment the position first reaches the end mark (playback runs at rate
// 1); never later than `poll`, so a change that raises no event is still seen.
std::chrono::milliseconds delayToNextCheck(double position, double endMark, bool advancing,
                                           std::chrono::milliseconds poll);

} // namespace tunora
