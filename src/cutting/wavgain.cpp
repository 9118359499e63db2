#include "wavgain.h"

#include "byteorder.h"
#include "fadecurve.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace tunora {

namespace {

using Byte = unsigned char;

struct WavSamples {
    qint64 offset = 0;
    qint64 size = 0;
    int sampleRate = 0;
    int channels = 0;
    int bits = 0;
    bool isFloat = false;
};

std::optional<WavSamples> findSamples(const QByteArray &file)
{
    const auto *p = reinterpret_cast<const Byte *>(file.constData());
    if (file.size() < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WavSamples samples;
    bool haveFormat = false;
    for (qint64 at = 12; at + 8 <= file.size();) {
        const qint64 size = littleEndian32(p + at + 4);
        const qint64 body = at + 8;
        if (std::memcmp(p + at, "fmt ", 4) == 0 && size >= 16 && body + size <= file.size()) {
            quint16 tag = littleEndian16(p + body);
            if (tag == 0xFFFE && size >= 26)
                tag = littleEndian16(p + body + 24); // the sub-format GUID starts with the plain tag
            samples.channels = littleEndian16(p + body + 2);
            samples.sampleRate = int(littleEndian32(p + body + 4));
            const int blockAlign = littleEndian16(p + body + 12);
            samples.bits = littleEndian16(p + body + 14);
            samples.isFloat = tag == 3;
            const bool integer = tag == 1 && samples.bits >= 8 && samples.bits <= 32;
            const bool floating = tag == 3 && (samples.bits == 32 || samples.bits == 64);
            haveFormat = (integer || floating) && samples.channels > 0 && samples.sampleRate > 0
                && blockAlign == samples.channels * ((samples.bits + 7) / 8);
            if (!haveFormat)
                return std::nullopt;
        } else if (std::memcmp(p + at, "data", 4) == 0) {
            if (!haveFormat)
                return std::nullopt;
            samples.offset = body;
            samples.size = qMin(size, file.size() - body);
            return samples;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

// One sample at p: read as a fraction of full scale, scaled, written back.
void scaleSample(Byte *p, const WavSamples &format, double factor)
{
    const int bytes = (format.bits + 7) / 8;
    if (format.isFloat) {
        if (bytes == 4) {
            float v;
            std::memcpy(&v, p, 4);
            v = float(v * factor);
            std::memcpy(p, &v, 4);
        } else {
            double v;
            std::memcpy(&v, p, 8);
            v *= factor;
            std::memcpy(p, &v, 8);
        }
        return;
    }
    // Integer samples sit in the top bits of their bytes; 8-bit ones are unsigned.
    const int shift = 64 - 8 * bytes;
    qint64 v = qint64(littleEndian(p, bytes) << shift) >> shift;
    if (bytes == 1)
        v = qint64(p[0]) - 128;
    const qint64 top = (qint64(1) << (8 * bytes - 1)) - 1;
    const double scaled = std::nearbyint(double(v) * factor);
    v = qint64(qBound(double(-top - 1), scaled, double(top)));
    if (bytes == 1) {
        p[0] = Byte(v + 128);
        return;
    }
    for (int i = 0; i < bytes; ++i)
        p[i] = Byte((quint64(v) >> (8 * i)) & 0xFF);
}

// One sample as a fraction of full scale.
double sampleValue(const Byte *p, const WavSamples &format)
{
    const int bytes = (format.bits + 7) / 8;
    if (format.isFloat) {
        if (bytes == 4) {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
        double v;
        std::memcpy(&v, p, 8);
        return v;
    }
    if (bytes == 1)
        return (double(p[0]) - 128) / 128;
    const int shift = 64 - 8 * bytes;
    return double(qint64(littleEndian(p, bytes) << shift) >> shift) / double(qint64(1) << (8 * bytes - 1));
}

} // namespace

std::optional<double> wavPeakDb(const QByteArray &file)
{
    const std::optional<WavSamples> samples = findSamples(file);
    if (!samples)
        return std::nullopt;
    const int bytes = (samples->bits + 7) / 8;
    const qint64 count = samples->size / bytes;
    const auto *p = reinterpret_cast<const Byte *>(file.constData()) + samples->offset;
    double peak = 0;
    for (qint64 i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(sampleValue(p + i * bytes, *samples)));
    if (peak <= 0 || !std::isfinite(peak))
        return std::nullopt;
    return 20 * std::log10(peak);
}

bool applyWavGains(QByteArray &file, const RingtoneEffects &effects, double levelDb)
{
    const std::optional<WavSamples> samples = findSamples(file);
    if (!samples)
        return false;
    const int bytes = (samples->bits + 7) / 8;
    const qint64 frameSize = qint64(bytes) * samples->channels;
    const qint64 frames = samples->size / frameSize;
    auto *p = reinterpret_cast<Byte *>(file.data()) + samples->offset;
    for (qint64 f = 0; f < frames; ++f) {
        const double factor = sampleFrameGain(effects, levelDb, f, frames, samples->sampleRate);
        if (factor == 1.0)
            continue;
        for (int c = 0; c < samples->channels; ++c)
            scaleSample(p + f * frameSize + qint64(c) * bytes, *samples, factor);
    }
    return true;
}

} // namespace tunora
