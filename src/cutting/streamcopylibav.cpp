#include "streamcopylibav.h"

#include "libavhandles.h"
#include "libavoutput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace tunora {

namespace {

// A FLAC stream's STREAMINFO block names the source's sample count and checksum; the cut
// holds fewer samples, and a player that trusts the count would show the source's length.
void correctFlacStreamInfo(AVCodecParameters *par, int64_t samples)
{
    constexpr int kStreamInfoSize = 34;
    if (par->codec_id != AV_CODEC_ID_FLAC || par->extradata_size < kStreamInfoSize)
        return;
    uint8_t *s = par->extradata;
    // 36 bits of total samples: the low 4 bits of byte 13 and bytes 14 to 17.
    const uint64_t n = uint64_t(samples) & 0xFFFFFFFFFull;
    s[13] = uint8_t((s[13] & 0xF0) | (n >> 32));
    s[14] = uint8_t(n >> 24);
    s[15] = uint8_t(n >> 16);
    s[16] = uint8_t(n >> 8);
    s[17] = uint8_t(n);
    std::memset(s + 18, 0, 16); // checksum unknown
}

// The packets of stream `index` whose middle lies in [startTs, endTs), with their time
// stamps moved to start at 0; a cut then ends at most half a packet away from each mark.
bool collectPackets(AVFormatContext *in, int index, int64_t startTs, int64_t endTs, std::vector<PacketPtr> &kept,
                    int64_t &samples)
{
    const AVStream *st = in->streams[index];
    int64_t next = AV_NOPTS_VALUE; // where the previous packet ended, for packets without a time
    int64_t shift = AV_NOPTS_VALUE;
    samples = 0;
    PacketPtr pkt(av_packet_alloc());
    if (!pkt)
        return false;
    for (;;) {
        const int rc = av_read_frame(in, pkt.get());
        if (rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return kept.empty() ? false : true; // damage after the stretch's start: keep what was read
        if (pkt->stream_index != index) {
            av_packet_unref(pkt.get());
            continue;
        }
        int64_t pts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
        if (pts == AV_NOPTS_VALUE)
            pts = next;
        if (pts == AV_NOPTS_VALUE) {
            av_packet_unref(pkt.get());
            continue;
        }
        next = pts + pkt->duration;
        const int64_t middle = pts + pkt->duration / 2;
        if (middle < startTs) {
            av_packet_unref(pkt.get());
            continue;
        }
        if (middle >= endTs)
            return true;
        if (shift == AV_NOPTS_VALUE)
            shift = pts;
        pkt->pts = pts - shift;
        pkt->dts = pkt->dts != AV_NOPTS_VALUE ? pkt->dts - shift : pkt->pts;
        pkt->stream_index = 0;
        pkt->pos = -1;
        samples += av_rescale_q(pkt->duration, st->time_base, AVRational{1, std::max(st->codecpar->sample_rate, 1)});
        kept.push_back(std::move(pkt));
        pkt.reset(av_packet_alloc());
        if (!pkt)
            return false;
    }
}

} // namespace

int copyThroughLibav(const tunora_stream_copy_job &job)
{
    const char *demuxer = job.demuxer;
    const char *muxer = job.muxer;
    // libavformat seeks in a WAV file by a byte rate that is wrong for some codecs in it (MS
    // ADPCM lands a second early) and then stamps the packets with the time it meant: its
    // packets are read from the start instead, which is exact.
    const bool seekByTime = std::strcmp(demuxer, "wav") != 0;
    if (!(job.end_seconds > job.start_seconds))
        return TUNORA_STREAM_COPY_EMPTY;

    LibavInput input;
    if (!openLibavInput(job.source, demuxer, input))
        return TUNORA_STREAM_COPY_FAILED;
    AVFormatContext *in = input.format.get();
    const int index = input.stream;
    const AVStream *inStream = in->streams[index];

    // The marks count from where the player starts the song, its first time stamp.
    const int64_t origin = input.origin;
    const auto toTs = [&](double seconds) {
        return origin + av_rescale_q(int64_t(std::min(seconds, 1e9) * AV_TIME_BASE), AV_TIME_BASE_Q, inStream->time_base);
    };
    const int64_t startTs = toTs(job.start_seconds);
    const int64_t endTs = toTs(job.end_seconds);
    // A failed seek reads from the start; the time test below still finds the stretch.
    if (seekByTime && av_seek_frame(in, index, startTs, AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(in, index, origin, AVSEEK_FLAG_BACKWARD);

    std::vector<PacketPtr> packets;
    int64_t samples = 0;
    if (!collectPackets(in, index, startTs, endTs, packets, samples))
        return TUNORA_STREAM_COPY_FAILED;
    if (packets.empty())
        return TUNORA_STREAM_COPY_EMPTY;

    LibavOutput output;
    if (!openLibavOutput(job.sink, muxer, output))
        return TUNORA_STREAM_COPY_FAILED;
    AVFormatContext *out = output.format.get();
    AVStream *outStream = avformat_new_stream(out, nullptr);
    if (!outStream || avcodec_parameters_copy(outStream->codecpar, inStream->codecpar) < 0)
        return TUNORA_STREAM_COPY_FAILED;
    outStream->codecpar->codec_tag = 0; // the muxer picks its own tag for the codec
    outStream->time_base = inStream->time_base;
    correctFlacStreamInfo(outStream->codecpar, samples);
    av_dict_copy(&out->metadata, in->metadata, 0);
    av_dict_copy(&outStream->metadata, inStream->metadata, 0);

    // A codec the container cannot hold fails here: the cut fails, nothing is re-encoded.
    if (avformat_write_header(out, nullptr) < 0)
        return TUNORA_STREAM_COPY_FAILED;
    for (PacketPtr &pkt : packets) {
        av_packet_rescale_ts(pkt.get(), inStream->time_base, outStream->time_base);
        if (av_write_frame(out, pkt.get()) < 0)
            return TUNORA_STREAM_COPY_FAILED;
    }
    return finishLibavOutput(output) ? TUNORA_STREAM_COPY_WRITTEN : TUNORA_STREAM_COPY_FAILED;
}

} // namespace tunora
