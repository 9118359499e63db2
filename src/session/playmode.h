#pragma once

namespace tunora {

// How the next song is chosen: the list's order, or at random from the list.
enum class PlayMode { Loop, Random };

} // namespace tunora
