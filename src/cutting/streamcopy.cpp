#include "streamcopy.h"

#include "streamcopyentry.h"

#include "platform/files/fileio.h"

#include <cstring>

namespace tunora {

namespace {

int64_t readSource(void *context, int64_t offset, void *buffer, int64_t count)
{
    return static_cast<const ReadFile *>(context)->readAt(offset, static_cast<char *>(buffer), count);
}

int writeSink(void *context, int64_t offset, const void *data, int64_t count)
{
    auto *bytes = static_cast<QByteArray *>(context);
    if (offset < 0 || count < 0)
        return -1;
    if (offset > bytes->size())
        bytes->append(QByteArray(offset - bytes->size(), '\0'));
    if (offset + count > bytes->size())
        bytes->resize(offset + count);
    std::memcpy(bytes->data() + offset, data, size_t(count));
    return 0;
}

} // namespace

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
        {&copy.bytes, writeSink},
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
