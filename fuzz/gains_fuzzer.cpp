// The gain edits of the ringtone effects on arbitrary streams: an edited MP3 stream still
// parses as the same frames, each with only its gains (and CRC) changed and a CRC that matches
// where it had one; an edited WAV file keeps its size and everything before its samples.
//
// Input: the first byte picks the effects (bit 0 fade in, bit 1 fade out, bits 2-7 the level
// in steps, less 32); the rest is the stream, read both as MP3 and as WAV.

#include "fuzzcheck.h"

#include "cutting/layer3sideinfo.h"
#include "cutting/mpeggain.h"
#include "cutting/wavgain.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace tunora;
using namespace tunora::fuzz;

namespace {

void checkMpeg(const QByteArray &stream, const RingtoneEffects &effects, int levelSteps)
{
    QByteArray edited = stream;
    const std::vector<MpegFrameAt> before = layer3Frames(stream);
    const bool changed = applyMpegGains(edited, {GainSpan{-1, effects, levelSteps}, GainSpan{3, effects, 0}});
    check(changed || edited == stream, "a stream that is not edited stays as it was");
    check(!changed || !before.empty(), "only a stream that holds Layer III frames is edited");
    check(edited.size() == stream.size(), "an edit keeps the stream's size");
    const std::vector<MpegFrameAt> after = layer3Frames(edited);
    check(after.size() == before.size(), "an edited stream parses as as many frames",
          QString::asprintf("%zu frames before, %zu after", before.size(), after.size()));
    qint64 outside = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const MpegFrameAt &a = before[i];
        const MpegFrameAt &b = after[i];
        check(a.offset == b.offset && a.header.bits == b.header.bits, "an edited stream parses as the same frames",
              QString::asprintf("frame %zu at %lld, then %lld", i, qlonglong(a.offset), qlonglong(b.offset)));
        // Only the side info (and the CRC in front of it) may change.
        check(stream.mid(a.offset, 4) == edited.mid(a.offset, 4)
                  && stream.mid(a.offset + a.header.payloadOffset(), a.header.length - a.header.payloadOffset())
                      == edited.mid(a.offset + a.header.payloadOffset(), a.header.length - a.header.payloadOffset()),
              "an edit changes nothing but a frame's side info");
        const auto *p = reinterpret_cast<const unsigned char *>(edited.constData()) + a.offset;
        const auto *q = reinterpret_cast<const unsigned char *>(stream.constData()) + a.offset;
        const bool hadCrc = a.header.hasCrc && frameCrc(q, a.header) == quint16((q[4] << 8) | q[5]);
        check(!hadCrc || frameCrc(p, a.header) == quint16((p[4] << 8) | p[5]), "a frame with a CRC keeps a matching one");
        // Bytes between frames are left as they are.
        check(stream.mid(outside, a.offset - outside) == edited.mid(outside, a.offset - outside),
              "bytes outside the frames stay as they are");
        outside = a.offset + a.header.length;
    }
    check(stream.mid(outside) == edited.mid(outside), "bytes after the frames stay as they are");
}

void checkWav(const QByteArray &file, const RingtoneEffects &effects, int levelSteps)
{
    QByteArray edited = file;
    if (!applyWavGains(edited, effects, 1.5 * levelSteps))
        return check(edited == file, "a file that is not changed stays as it was");
    check(edited.size() == file.size(), "an edited WAV file keeps its size");
    const qint64 data = file.indexOf("data");
    check(data >= 0 && edited.left(data + 8) == file.left(data + 8), "an edited WAV file keeps its header");
    (void)wavPeakDb(edited);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    RingtoneEffects effects;
    effects.fadeIn = data[0] & 1;
    effects.fadeOut = data[0] & 2;
    effects.fadeInSeconds = 0.02;
    effects.fadeOutSeconds = 0.05;
    const int levelSteps = (data[0] >> 2) - 32;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    checkMpeg(stream, effects, levelSteps);
    checkWav(stream, effects, levelSteps);
    return 0;
}
