#pragma once

#include <chrono>

namespace tunora {

// The end-mark rule: the play position, rounded to two decimals, is at or past the end mark.
bool endMarkReached(double position, double endMark);

// How long to wait before the next end-mark check. While playback advances, the check is
// planned for the moment the position reaches the end mark (playback runs at rate 1);
// never later than `poll`, so a seek or a song change that raises no event is still seen.
std::chrono::milliseconds delayToNextCheck(double position, double endMark, bool advancing,
                                           std::chrono::milliseconds poll);

} // namespace tunora
