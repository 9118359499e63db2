#include "streamdecode.h"

#include "streamcopyentry.h"

#include "platform/files/fileio.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace tunora {

namespace {

int64_t readFile(void *context, int64_t offset, void *buffer, int64_t count) noexcept
{
    return static_cast<const ReadFile *>(context)->readAt(offset, static_cast<char *>(buffer), count);
}

int64_t readBytes(void *context, int64_t offset, void *buffer, int64_t count) noexcept
{
    const auto *bytes = static_cast<const QByteArray *>(context);
    if (offset < 0 || count < 0)
        return -1;
    const int64_t n = std::clamp<int64_t>(int64_t(bytes->size()) - offset, 0, count);
    if (n > 0)
        std::memcpy(buffer, bytes->constData() + offset, size_t(n));
    return n;
}

// Called from inside libavcodec's caller, through C frames that an exception must not cross:
// one thrown by the callback stops the decode instead.
int handOver(void *context, double first, const float *interleaved, int64_t frames, int channels,
             int sampleRate) noexcept
{
    try {
        const auto &samples = *static_cast<const DecodedSamplesFn *>(context);
        return samples({first, interleaved, frames, channels, sampleRate}) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

StreamDecode decode(const tunora_stream_source &source, double start, double end, const char *demuxer,
                    const DecodedSamplesFn &samples)
{
    const StreamCopyEntry &entry = streamCopyEntry();
    if (!entry.decode)
        return StreamDecode::Unavailable;
    const tunora_stream_decode_job job{
        source, demuxer, start, end, const_cast<DecodedSamplesFn *>(&samples), handOver,
    };
    switch (entry.decode(&job)) {
    case TUNORA_STREAM_DECODE_DONE:
        return StreamDecode::Done;
    case TUNORA_STREAM_DECODE_STOPPED:
        return StreamDecode::Stopped;
    default:
        return StreamDecode::Failed;
    }
}

} // namespace

tunora_stream_source byteSource(const QByteArray &bytes)
{
    return {const_cast<QByteArray *>(&bytes), bytes.size(), readBytes};
}

StreamDecode streamDecode(const ReadFile &source, double start, double end, const char *demuxer,
                          const DecodedSamplesFn &samples)
{
    if (!source.isOpen())
        return StreamDecode::Failed;
    return decode({const_cast<ReadFile *>(&source), source.size(), readFile}, start, end, demuxer, samples);
}

StreamDecode streamDecode(const QByteArray &bytes, double start, double end, const char *demuxer,
                          const DecodedSamplesFn &samples)
{
    return decode(byteSource(bytes), start, end, demuxer, samples);
}

} // namespace tunora
