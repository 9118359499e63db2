// The stream copy, decode and FLAC re-encode linked in, for tests and tools: the module's code, called without
// the module.
#include "streamcopyentry.h"
#include "streamcopylibav.h"

namespace tunora {

namespace {

int copyLinkedIn(const tunora_stream_copy_job *job)
{
    return copyThroughLibav(*job);
}

int decodeLinkedIn(const tunora_stream_decode_job *job)
{
    return decodeThroughLibav(*job);
}

int flacGainLinkedIn(const tunora_flac_gain_job *job)
{
    return flacGainThroughLibav(*job);
}

} // namespace

const StreamCopyEntry &streamCopyEntry()
{
    static const StreamCopyEntry entry{copyLinkedIn, decodeLinkedIn, flacGainLinkedIn, {}};
    return entry;
}

} // namespace tunora
