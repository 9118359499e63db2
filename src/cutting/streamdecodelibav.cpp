// Decodes through libavcodec for the stream-copy module's second entry: the sound itself, for
// measuring it (a song's loudness over its length, a cut's peak).
#include "streamcopylibav.h"

#include "libavhandles.h"
#include "libavinput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace tunora {

namespace {

// Decoding starts this far before the stretch and throws the early samples away: an MP3
// frame needs the bytes of the frames before it (the bit reservoir), and AAC and Vorbis need
// one block of overlap before they give the right sound.
constexpr double kLeadSeconds = 0.2;

// How far a container's rounded time stamps may stray from the samples' own count.
constexpr double kRoundedStamp = 0.002;


// `count` samples of type T from `from` into every `stride`-th float of `to`, each through
// `convert`. The sample format is settled once a frame, not once a sample: the conversion is
// a good part of the time a fast codec such as FLAC takes.
template <typename T, typename Convert>
void convertSamples(const uint8_t *from, int64_t count, float *to, int stride, Convert convert)
{
    for (int64_t i = 0; i < count; ++i) {
        T v;
        std::memcpy(&v, from + sizeof(T) * size_t(i), sizeof(T));
        to[i * stride] = convert(v);
    }
}

// False for a sample format this does not know.
bool convertSamples(AVSampleFormat format, const uint8_t *from, int64_t count, float *to, int stride)
{
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        convertSamples<uint8_t>(from, count, to, stride, [](uint8_t v) { return (float(v) - 128.0f) / 128.0f; });
        return true;
    case AV_SAMPLE_FMT_S16:
        convertSamples<int16_t>(from, count, to, stride, [](int16_t v) { return float(v) / 32768.0f; });
        return true;
    case AV_SAMPLE_FMT_S32:
        convertSamples<int32_t>(from, count, to, stride, [](int32_t v) { return float(double(v) / 2147483648.0); });
        return true;
    case AV_SAMPLE_FMT_S64:
        convertSamples<int64_t>(from, count, to, stride,
                                [](int64_t v) { return float(double(v) / 9223372036854775808.0); });
        return true;
    case AV_SAMPLE_FMT_FLT:
        convertSamples<float>(from, count, to, stride,
                              [](float v) { return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f; });
        return true;
    case AV_SAMPLE_FMT_DBL:
        convertSamples<double>(from, count, to, stride,
                               [](double v) { return std::isfinite(v) ? float(std::clamp(v, -1.0, 1.0)) : 0.0f; });
        return true;
    default:
        return false;
    }
}

// A decoded frame as interleaved float, whatever the codec's own sample format (silence for
// one it does not know).
void toInterleavedFloat(const AVFrame &frame, int channels, std::vector<float> &out)
{
    const auto format = AVSampleFormat(frame.format);
    const int64_t n = frame.nb_samples;
    out.resize(size_t(n * channels));
    bool known = true;
    if (av_sample_fmt_is_planar(format)) {
        for (int c = 0; c < channels && known; ++c)
            known = convertSamples(format, frame.extended_data[c], n, out.data() + c, channels);
    } else {
        known = convertSamples(format, frame.extended_data[0], n * channels, out.data(), 1);
    }
    if (!known)
        std::fill(out.begin(), out.end(), 0.0f);
}

// The index of the first sample at or after `seconds` into a piece; what lies within a
// millionth of a sample of one is that sample, whatever the floating point made of it.
int64_t firstSampleFrom(double seconds, int rate)
{
    return int64_t(std::ceil(std::min(seconds * rate, 1e15) - 1e-6));
}

class Decoder {
public:
    Decoder(const tunora_stream_decode_job &job, const AVStream &stream, int64_t origin)
        : m_job(job), m_timeBase(stream.time_base), m_origin(origin)
    {
    }

    bool open(const AVCodecParameters &par)
    {
        const AVCodec *codec = avcodec_find_decoder(par.codec_id);
        if (!codec)
            return false;
        m_codec.reset(avcodec_alloc_context3(codec));
        m_frame.reset(av_frame_alloc());
        if (!m_codec || !m_frame || avcodec_parameters_to_context(m_codec.get(), &par) < 0)
            return false;
        m_codec->pkt_timebase = m_timeBase;
        m_codec->thread_count = 1; // the caller decodes stretches side by side instead
        return avcodec_open2(m_codec.get(), codec, nullptr) >= 0;
    }

    // One of the TUNORA_STREAM_DECODE_* results, or -1 to go on.
    int send(const AVPacket *packet)
    {
        int rc = avcodec_send_packet(m_codec.get(), packet);
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
            // One damaged packet costs its own sound only, as it does in a player.
            if (packet && ++m_damaged < kMostDamagedPackets)
                return -1;
            return m_decoded ? TUNORA_STREAM_DECODE_DONE : TUNORA_STREAM_DECODE_FAILED;
        }
        for (;;) {
            rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
            if (rc == AVERROR(EAGAIN))
                return -1;
            if (rc == AVERROR_EOF)
                return TUNORA_STREAM_DECODE_DONE;
            if (rc < 0)
                return -1;
            const int result = deliver(*m_frame);
            av_frame_unref(m_frame.get());
            if (result >= 0)
                return result;
        }
    }

    // Whether any sound came out, inside the stretch or not: a song none comes out of is
    // damaged, one whose stretch lies past its end is not.
    bool decoded() const { return m_decoded; }

private:
    static constexpr int kMostDamagedPackets = 1000;

    int deliver(const AVFrame &frame)
    {
        const int rate = frame.sample_rate > 0 ? frame.sample_rate : m_codec->sample_rate;
        const int channels = frame.ch_layout.nb_channels;
        if (rate <= 0 || channels <= 0 || frame.nb_samples <= 0)
            return -1;
        m_decoded = true;
        double first = m_next;
        const int64_t ts = frame.best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE) {
            // A time stamp this near where the sound before ended is that place, rounded (ASF
            // counts whole milliseconds): the pieces stay one run of samples.
            const double stamped = double(ts - m_origin) * av_q2d(m_timeBase);
            if (std::isnan(first) || std::abs(stamped - first) > kRoundedStamp)
                first = stamped;
        } else if (std::isnan(first)) {
            first = 0;
        }
        m_next = first + double(frame.nb_samples) / rate;

        // Only the samples inside the stretch: from the first at or after its start up to the
        // first at or after its end. Rounded to the nearest, a sample up to half a sample before
        // the start would come too.
        int64_t from = 0;
        int64_t to = frame.nb_samples;
        if (first < m_job.start_seconds)
            from = std::min<int64_t>(to, firstSampleFrom(m_job.start_seconds - first, rate));
        if (m_job.end_seconds >= 0) {
            if (first >= m_job.end_seconds)
                return TUNORA_STREAM_DECODE_DONE;
            to = std::min<int64_t>(to, firstSampleFrom(m_job.end_seconds - first, rate));
        }
        if (to <= from)
            return -1;
        toInterleavedFloat(frame, channels, m_samples);
        if (m_job.samples(m_job.context, first + double(from) / rate, m_samples.data() + from * channels, to - from,
                          channels, rate) != 0)
            return TUNORA_STREAM_DECODE_STOPPED;
        return -1;
    }

    const tunora_stream_decode_job &m_job;
    AVRational m_timeBase;
    int64_t m_origin;
    CodecPtr m_codec;
    FramePtr m_frame;
    std::vector<float> m_samples;
    double m_next = NAN; // where the next frame starts when it has no time stamp
    int m_damaged = 0;
    bool m_decoded = false;
};

} // namespace

int decodeThroughLibav(const tunora_stream_decode_job &job)
{
    if (job.end_seconds >= 0 && !(job.end_seconds > job.start_seconds))
        return TUNORA_STREAM_DECODE_DONE;
    LibavInput input;
    if (!openLibavInput(job.source, job.demuxer, input))
        return TUNORA_STREAM_DECODE_FAILED;
    AVFormatContext *in = input.format.get();
    const AVStream &stream = *in->streams[input.stream];
    Decoder decoder(job, stream, input.origin);
    if (!decoder.open(*stream.codecpar))
        return TUNORA_STREAM_DECODE_FAILED;

    // Seeking in a WAV file lands off by the codec's block for some codecs (see the copy), and
    // their decoding costs little: they are read from the start. Plain PCM lands exactly, but
    // only inside its samples: past them the demuxer reads whatever follows as samples.
    const double lead = job.start_seconds - kLeadSeconds;
    const AVCodecID codec = stream.codecpar->codec_id;
    const bool pcm = codec >= AV_CODEC_ID_FIRST_AUDIO && codec < AV_CODEC_ID_ADPCM_IMA_QT;
    const double pcmSeconds = stream.duration > 0 ? double(stream.duration) * av_q2d(stream.time_base) : 0;
    if (lead > 0 && (std::strcmp(job.demuxer, "wav") != 0 || (pcm && lead < pcmSeconds))) {
        const int64_t ts = input.origin + av_rescale_q(int64_t(std::min(lead, 1e9) * AV_TIME_BASE), AV_TIME_BASE_Q,
                                                       stream.time_base);
        if (av_seek_frame(in, input.stream, ts, AVSEEK_FLAG_BACKWARD) < 0)
            av_seek_frame(in, input.stream, input.origin, AVSEEK_FLAG_BACKWARD);
    }

    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return TUNORA_STREAM_DECODE_FAILED;
    for (;;) {
        const int rc = av_read_frame(in, packet.get());
        if (rc < 0)
            break; // the end, or damage: what was decoded so far stands
        if (packet->stream_index != input.stream) {
            av_packet_unref(packet.get());
            continue;
        }
        const int result = decoder.send(packet.get());
        av_packet_unref(packet.get());
        if (result >= 0)
            return result;
    }
    const int result = decoder.send(nullptr); // the frames the decoder still holds
    if (result == TUNORA_STREAM_DECODE_STOPPED)
        return result;
    return decoder.decoded() ? TUNORA_STREAM_DECODE_DONE : TUNORA_STREAM_DECODE_FAILED;
}

} // namespace tunora
