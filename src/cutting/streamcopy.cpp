#include "streamcopy.h"

#include "streamcopyentry.h"

#include "platform/files/fileio.h"

#include <cstring>
#include <new>

namespace tunora {

namespace {

int64_t readSource(void *context, int64_t offset, void *buffer, int64_t count) noexcept
{
    return static_cast<const ReadFile *>(context)->readAt(offset, static_cast<char *>(buffer), count);
}

// Far more than any song a cut copies from. A size past it is refused outright: an allocator
// may end the program on a request no machine could meet (AddressSanitizer's does) rather
// than fail it.
constexpr int64_t kMostOutputBytes = int64_t(1) << 38;

// Called from inside libavformat, through C frames that an exception must not cross: memory
// running out fails the write, and libavformat then fails the cut.
int writeSink(void *context, int64_t offset, const void *data, int64_t count) noexcept
{
    auto *bytes = static_cast<QByteArray *>(context);
    if (offset < 0 || count < 0 || offset > kMostOutputBytes || count > kMostOutputBytes - offset)
        return -1;
    try {
        if (offset > bytes->size())
            bytes->append(QByteArray(offset - bytes->size(), '\0'));
        if (offset + count > bytes->size())
            bytes->resize(offset + count);
    } catch (const std::bad_alloc &) {
        return -1;
    }
    std::memcpy(bytes->data() + offset, data, size_t(count));
    return 0;
}

} // namespace

tunora_stream_sink byteSink(QByteArray &bytes)
{
    return {&bytes, writeSink};
}

StreamCopy streamCopy(const ReadFile &source, MarkedSpan span, const char *demuxer, const char *muxer)
{
    if (span.empty())
        return {ContainerCut::Empty, {}};
    const StreamCopyEntry &entry = streamCopyEntry();
    if (!entry.copy)
        return {ContainerCut::StreamCopyUnavailable, {}};
    StreamCopy copy;
    const tunora_stream_copy_job job{
        {const_cast<ReadFile *>(&source), source.size(), readSource},
        byteSink(copy.bytes),
        span.start,
        span.end,
        demuxer,
        muxer,
    };
    switch (entry.copy(&job)) {
    case TUNORA_STREAM_COPY_WRITTEN:
        copy.result = ContainerCut::Written;
        return copy;
    case TUNORA_STREAM_COPY_EMPTY:
        return {ContainerCut::Empty, {}};
    default:
        return {ContainerCut::Failed, {}};
    }
}

QString streamCopyProblem()
{
    return streamCopyEntry().problem;
}

} // namespace tunora
