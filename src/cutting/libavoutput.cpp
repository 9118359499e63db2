#include "libavoutput.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tunora {

namespace {

int writeSink(void *opaque, WrittenBytes buffer, int size) noexcept
{
    auto *s = static_cast<SinkWriter *>(opaque);
    if (s->sink->write_at(s->sink->context, s->pos, buffer, size) != 0)
        return AVERROR(EIO);
    s->pos += size;
    s->size = std::max(s->size, s->pos);
    return size;
}

int64_t seekSink(void *opaque, int64_t offset, int whence) noexcept
{
    auto *s = static_cast<SinkWriter *>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return s->size;
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += s->pos;
        break;
    case SEEK_END:
        offset += s->size;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0)
        return AVERROR(EINVAL);
    s->pos = offset;
    return offset;
}

} // namespace

bool openLibavOutput(const tunora_stream_sink &sink, const char *muxer, LibavOutput &output)
{
    AVFormatContext *raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, muxer, nullptr) < 0)
        return false;
    output.format.reset(raw);
    // No file name reaches the muxer; some check the extension of one and warn without it.
    if (const char *extensions = raw->oformat->extensions) {
        const std::string name = "ringtone." + std::string(extensions).substr(0, std::strcspn(extensions, ","));
        raw->url = av_strdup(name.c_str());
    }
    output.writer = std::make_unique<SinkWriter>(SinkWriter{&sink});
    output.io = makeIo(output.writer.get(), true, nullptr, writeSink, seekSink);
    if (!output.io)
        return false;
    raw->pb = output.io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    return true;
}

bool finishLibavOutput(LibavOutput &output)
{
    if (av_write_trailer(output.format.get()) < 0)
        return false;
    avio_flush(output.io.get());
    return output.io->error >= 0;
}

} // namespace tunora
