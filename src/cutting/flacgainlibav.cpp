// The stream-copy module's FLAC re-encode: the file decoded by libavcodec, its samples scaled,
// encoded again by libavcodec's FLAC encoder and written by libavformat's FLAC muxer. FLAC is
// lossless, so every sample the gain leaves at 1 comes out exactly as it went in.
#include "streamcopylibav.h"

#include "libavhandles.h"
#include "libavoutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace tunora {

namespace {

struct FifoDeleter {
    void operator()(AVAudioFifo *f) const { av_audio_fifo_free(f); }
};

// The FLAC source read from its start, frame by frame.
class FlacFrames {
public:
    bool open(const tunora_stream_source &source)
    {
        if (!openLibavInput(source, "flac", m_input))
            return false;
        const AVCodecParameters &par = *m_input.format->streams[m_input.stream]->codecpar;
        const AVCodec *codec = avcodec_find_decoder(par.codec_id);
        if (par.codec_id != AV_CODEC_ID_FLAC || !codec)
            return false;
        m_codec.reset(avcodec_alloc_context3(codec));
        m_frame.reset(av_frame_alloc());
        m_packet.reset(av_packet_alloc());
        if (!m_codec || !m_frame || !m_packet || avcodec_parameters_to_context(m_codec.get(), &par) < 0)
            return false;
        m_codec->thread_count = 1;
        return avcodec_open2(m_codec.get(), codec, nullptr) >= 0;
    }

    // Hands every decoded frame to `onFrame` in order; false when the source is damaged or
    // `onFrame` answers false. A damaged frame fails the whole: it would change the sound.
    template <typename OnFrame>
    bool each(OnFrame &&onFrame)
    {
        for (;;) {
            const int rc = av_read_frame(m_input.format.get(), m_packet.get());
            if (rc == AVERROR_EOF)
                break;
            if (rc < 0)
                return false;
            const bool ours = m_packet->stream_index == m_input.stream;
            const bool sent = !ours || avcodec_send_packet(m_codec.get(), m_packet.get()) >= 0;
            av_packet_unref(m_packet.get());
            if (!sent || !drain(onFrame))
                return false;
        }
        return avcodec_send_packet(m_codec.get(), nullptr) >= 0 && drain(onFrame);
    }

    const AVCodecContext &codec() const { return *m_codec; }
    const AVDictionary *tags() const { return m_input.format->metadata; }

private:
    template <typename OnFrame>
    bool drain(OnFrame &onFrame)
    {
        for (;;) {
            const int rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return true;
            if (rc < 0)
                return false;
            const bool go = onFrame(*m_frame);
            av_frame_unref(m_frame.get());
            if (!go)
                return false;
        }
    }

    LibavInput m_input;
    CodecPtr m_codec;
    FramePtr m_frame;
    PacketPtr m_packet;
};

// The bits a FLAC sample keeps (16 or 24) in the top bits of its decoded 16- or 32-bit value.
struct SampleLayout {
    int bits = 0;
    int shift = 0;
    bool wide = false; // 32-bit values
};

// Only what the encoder writes back with the same bits per sample.
bool layoutOf(const AVCodecContext &decoder, SampleLayout &layout)
{
    layout.bits = decoder.bits_per_raw_sample;
    if (decoder.sample_fmt == AV_SAMPLE_FMT_S16 && layout.bits == 16) {
        layout.wide = false;
    } else if (decoder.sample_fmt == AV_SAMPLE_FMT_S32 && layout.bits == 24) {
        layout.wide = true;
    } else {
        return false;
    }
    layout.shift = (layout.wide ? 32 : 16) - layout.bits;
    return true;
}

int64_t scaled(int64_t sample, double factor, int bits)
{
    const double top = double((int64_t(1) << (bits - 1)) - 1);
    return int64_t(std::clamp(std::nearbyint(double(sample) * factor), -top - 1, top));
}

template <typename T>
void scaleFrame(uint8_t *data, int64_t frame, int channels, double factor, const SampleLayout &layout)
{
    for (int c = 0; c < channels; ++c) {
        uint8_t *at = data + sizeof(T) * size_t(frame * channels + c);
        T v;
        std::memcpy(&v, at, sizeof(T));
        v = T(uint64_t(scaled(int64_t(v) >> layout.shift, factor, layout.bits)) << layout.shift);
        std::memcpy(at, &v, sizeof(T));
    }
}

class FlacWriter {
public:
    bool open(const AVCodecContext &decoder, const AVDictionary *tags, const tunora_stream_sink &sink)
    {
        const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
        if (!codec || !openLibavOutput(sink, "flac", m_output))
            return false;
        m_codec.reset(avcodec_alloc_context3(codec));
        m_packet.reset(av_packet_alloc());
        if (!m_codec || !m_packet || av_channel_layout_copy(&m_codec->ch_layout, &decoder.ch_layout) < 0)
            return false;
        m_codec->sample_fmt = decoder.sample_fmt;
        m_codec->bits_per_raw_sample = decoder.bits_per_raw_sample;
        m_codec->sample_rate = decoder.sample_rate;
        m_codec->time_base = AVRational{1, decoder.sample_rate};
        AVFormatContext *out = m_output.format.get();
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(m_codec.get(), codec, nullptr) < 0)
            return false;
        m_stream = avformat_new_stream(out, nullptr);
        if (!m_stream || avcodec_parameters_from_context(m_stream->codecpar, m_codec.get()) < 0)
            return false;
        m_stream->time_base = m_codec->time_base;
        av_dict_copy(&out->metadata, tags, 0);
        m_fifo.reset(av_audio_fifo_alloc(m_codec->sample_fmt, m_codec->ch_layout.nb_channels,
                                         std::max(m_codec->frame_size, 1)));
        return m_fifo && avformat_write_header(out, nullptr) >= 0;
    }

    // The encoder takes whole blocks of its own size: the decoded frames are gathered into them.
    bool write(const AVFrame &frame)
    {
        if (av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(frame.extended_data), frame.nb_samples)
            < frame.nb_samples)
            return false;
        while (av_audio_fifo_size(m_fifo.get()) >= m_codec->frame_size)
            if (!encodeBlock(m_codec->frame_size))
                return false;
        return true;
    }

    bool finish()
    {
        const int rest = av_audio_fifo_size(m_fifo.get());
        if (rest > 0 && !encodeBlock(rest))
            return false;
        return send(nullptr) && finishLibavOutput(m_output);
    }

private:
    bool encodeBlock(int samples)
    {
        FramePtr block(av_frame_alloc());
        if (!block)
            return false;
        block->nb_samples = samples;
        block->format = m_codec->sample_fmt;
        block->sample_rate = m_codec->sample_rate;
        if (av_channel_layout_copy(&block->ch_layout, &m_codec->ch_layout) < 0 || av_frame_get_buffer(block.get(), 0) < 0)
            return false;
        if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(block->extended_data), samples) != samples)
            return false;
        block->pts = m_sent;
        m_sent += samples;
        return send(block.get());
    }

    bool send(const AVFrame *frame)
    {
        if (avcodec_send_frame(m_codec.get(), frame) < 0)
            return false;
        for (;;) {
            const int rc = avcodec_receive_packet(m_codec.get(), m_packet.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return true;
            if (rc < 0)
                return false;
            m_packet->stream_index = m_stream->index;
            av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
            if (av_write_frame(m_output.format.get(), m_packet.get()) < 0)
                return false;
            av_packet_unref(m_packet.get());
        }
    }

    LibavOutput m_output;
    CodecPtr m_codec;
    PacketPtr m_packet;
    std::unique_ptr<AVAudioFifo, FifoDeleter> m_fifo;
    AVStream *m_stream = nullptr;
    int64_t m_sent = 0;
};

// The gain of every frame depends on how many there are: they are counted by a first decode,
// which for FLAC costs little.
int64_t countFrames(const tunora_stream_source &source)
{
    FlacFrames frames;
    int64_t count = 0;
    const bool read = frames.open(source) && frames.each([&](const AVFrame &frame) {
        count += frame.nb_samples;
        return true;
    });
    return read ? count : -1;
}

} // namespace

int flacGainThroughLibav(const tunora_flac_gain_job &job)
{
    const int64_t total = countFrames(job.source);
    FlacFrames frames;
    SampleLayout layout;
    if (total <= 0 || !frames.open(job.source) || !layoutOf(frames.codec(), layout))
        return TUNORA_FLAC_GAIN_FAILED;
    FlacWriter writer;
    if (!writer.open(frames.codec(), frames.tags(), job.sink))
        return TUNORA_FLAC_GAIN_FAILED;
    const int rate = frames.codec().sample_rate;
    const int channels = frames.codec().ch_layout.nb_channels;
    int64_t next = 0;
    FramePtr own(av_frame_alloc());
    const bool written = own && frames.each([&](const AVFrame &decoded) {
        // The decoder may keep a reference to its frame: the scaling goes into a copy of it.
        if (decoded.format != frames.codec().sample_fmt || av_frame_ref(own.get(), &decoded) < 0
            || av_frame_make_writable(own.get()) < 0)
            return false;
        for (int64_t f = 0; f < own->nb_samples; ++f, ++next) {
            const double factor = job.gain(job.context, next, total, rate);
            if (!std::isfinite(factor))
                return false;
            if (factor == 1.0)
                continue;
            if (layout.wide)
                scaleFrame<int32_t>(own->data[0], f, channels, factor, layout);
            else
                scaleFrame<int16_t>(own->data[0], f, channels, factor, layout);
        }
        const bool ok = writer.write(*own);
        av_frame_unref(own.get());
        return ok;
    });
    return written && writer.finish() ? TUNORA_FLAC_GAIN_WRITTEN : TUNORA_FLAC_GAIN_FAILED;
}

} // namespace tunora
