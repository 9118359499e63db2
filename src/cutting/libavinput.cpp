#include "libavinput.h"

extern "C" {
#include <libavutil/log.h>
}

#include <mutex>

namespace tunora {

namespace {

constexpr int kIoBufferSize = 64 * 1024;

// libavformat calls these through its C frames: nothing may be thrown out of them, and the
// source is a C callback that throws nothing.
int readSource(void *opaque, uint8_t *buffer, int size) noexcept
{
    auto *r = static_cast<SourceReader *>(opaque);
    const int64_t n = r->source->read_at(r->source->context, r->pos, buffer, size);
    if (n < 0 || n > size)
        return AVERROR(EIO);
    if (n == 0)
        return AVERROR_EOF;
    r->pos += n;
    return int(n);
}

int64_t seekSource(void *opaque, int64_t offset, int whence) noexcept
{
    auto *r = static_cast<SourceReader *>(opaque);
    const int64_t size = r->source->size;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += r->pos;
        break;
    case SEEK_END:
        offset += size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0)
        return AVERROR(EINVAL);
    r->pos = offset;
    return offset;
}

} // namespace

void IoDeleter::operator()(AVIOContext *io) const
{
    if (io)
        av_freep(&io->buffer);
    avio_context_free(&io);
}

IoPtr makeIo(void *opaque, bool writable, int (*read)(void *, uint8_t *, int),
             int (*write)(void *, WrittenBytes, int), int64_t (*seek)(void *, int64_t, int))
{
    auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferSize));
    if (!buffer)
        return nullptr;
    AVIOContext *io = avio_alloc_context(buffer, kIoBufferSize, writable ? 1 : 0, opaque, read, write, seek);
    if (!io)
        av_free(buffer);
    return IoPtr(io);
}

// libav's own default prints its informational notes on standard error (an Ogg Opus song's
// "bytes of comment header remain"); the program tells only of warnings and worse. The level
// is libav's, shared by every thread, so it is set once, before the first song is opened.
static void keepLogToWarnings()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_WARNING); });
}

bool openLibavInput(const tunora_stream_source &source, const char *demuxer, LibavInput &input)
{
    keepLogToWarnings();
    input.reader = std::make_unique<SourceReader>(SourceReader{&source});
    input.io = makeIo(input.reader.get(), false, readSource, nullptr, seekSource);
    AVFormatContext *raw = avformat_alloc_context();
    if (!input.io || !raw) {
        avformat_free_context(raw);
        return false;
    }
    raw->pb = input.io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    // On failure avformat_open_input frees the context itself.
    if (avformat_open_input(&raw, nullptr, av_find_input_format(demuxer), nullptr) < 0)
        return false;
    input.format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return false;
    input.stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (input.stream < 0)
        return false;
    const AVStream *st = raw->streams[input.stream];
    input.origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    return true;
}

} // namespace tunora
