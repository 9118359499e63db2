// The stream-copy module's exports; nothing else leaves the module.
#include "streamcopylibav.h"

#include <type_traits>

#define TUNORA_EXPORT extern "C" __attribute__((visibility("default")))

TUNORA_EXPORT uint32_t tunora_stream_copy_version(void)
{
    return TUNORA_STREAM_COPY_VERSION;
}

TUNORA_EXPORT int tunora_stream_copy(const tunora_stream_copy_job *job)
{
    if (!job || !job->source.read_at || !job->sink.write_at || !job->demuxer || !job->muxer)
        return TUNORA_STREAM_COPY_FAILED;
    return tunora::copyThroughLibav(*job);
}

TUNORA_EXPORT int tunora_stream_decode(const tunora_stream_decode_job *job)
{
    if (!job || !job->source.read_at || !job->demuxer || !job->samples)
        return TUNORA_STREAM_DECODE_FAILED;
    return tunora::decodeThroughLibav(*job);
}

TUNORA_EXPORT int tunora_flac_gain(const tunora_flac_gain_job *job)
{
    if (!job || !job->source.read_at || !job->sink.write_at || !job->gain)
        return TUNORA_FLAC_GAIN_FAILED;
    return tunora::flacGainThroughLibav(*job);
}

// The program calls the exports by these types.
static_assert(std::is_same_v<decltype(&tunora_stream_copy_version), tunora_stream_copy_version_fn>);
static_assert(std::is_same_v<decltype(&tunora_stream_copy), tunora_stream_copy_fn>);
static_assert(std::is_same_v<decltype(&tunora_stream_decode), tunora_stream_decode_fn>);
static_assert(std::is_same_v<decltype(&tunora_flac_gain), tunora_flac_gain_fn>);
