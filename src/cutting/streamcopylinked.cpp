// The stream copy and decode linked in, for tests and tools: the module's code, called without
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

} // namespace

const StreamCopyEntry &streamCopyEntry()
{
    static const StreamCopyEntry entry{copyLinkedIn, decodeLinkedIn, {}};
    return entry;
}

} // namespace tunora
