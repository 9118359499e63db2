#pragma once

#include <QString>

#include <cstdint>

namespace tunora {

class MediaPlayer;

// The media engine lives in a module of its own, loaded at run time, so that the program
// starts without the engine's libraries; the module exports one function of this type under
// kEngineFactory. It returns a new player owned by the caller, or nullptr with the reason in
// *error.
using EngineFactory = MediaPlayer *(*)(QString *error);
inline constexpr char kEngineFactory[] = "tunora_create_media_engine";
// Answers kEngineVersion; a module built from other sources is refused.
inline constexpr char kEngineVersionSymbol[] = "tunora_media_engine_version";
inline constexpr uint32_t kEngineVersion = 1;

} // namespace tunora
