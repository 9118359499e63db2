// The entry point of the engine module: the libmpv player behind the MediaPlayer interface.
#include "enginemodule.h"
#include "mpvplayer.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT tunora::MediaPlayer *tunora_create_media_engine(QString *error)
{
    static_assert(std::is_same_v<decltype(&tunora_create_media_engine), tunora::EngineFactory>);
    return tunora::MpvPlayer::create(error).release();
}

extern "C" Q_DECL_EXPORT uint32_t tunora_media_engine_version()
{
    return tunora::kEngineVersion;
}
