#include "songdemuxer.h"

namespace tunora {

const char *demuxerOf(Container container)
{
    switch (container) {
    case Container::Wav:
        return "wav";
    case Container::Asf:
        return "asf";
    case Container::Flac:
        return "flac";
    case Container::Ogg:
        return "ogg";
    case Container::Mp4:
        return "mov";
    case Container::Unrecognised:
        break;
    }
    return "mp3";
}

} // namespace tunora
