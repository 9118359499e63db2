#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstring>

#include <cmath>
#include <optional>
#include <vector>

// A file decoded by the real decoder (ffmpeg's command-line tool) into mono 16-bit samples,
// so a test judges a cut by what a player would hear.
namespace tunora::testing {

struct DecodedAudio {
    static constexpr int kRate = 8000;
    std::vector<qint16> samples;
    QString errors; // what the decoder said of the file's stream, though it decoded it

    double seconds() const { return double(samples.size()) / kRate; }

    // The tone's pitch between two times, from its zero crossings.
    double pitchBetween(double from, double to) const
    {
        const size_t a = size_t(std::max(0.0, from) * kRate);
        const size_t b = std::min(samples.size(), size_t(std::max(0.0, to) * kRate));
        int crossings = 0;
        for (size_t i = a + 1; i < b; ++i)
            crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        return b > a ? crossings / 2.0 / (double(b - a) / kRate) : 0.0;
    }
};

// Nothing when the decoder refuses the file; `error` then holds what it said.
inline std::optional<DecodedAudio> decodeWithFfmpeg(const QString &path, QString *error = nullptr)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                  QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-ac"), QStringLiteral("1"),
                  QStringLiteral("-ar"), QString::number(DecodedAudio::kRate), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(60'000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(ffmpeg.readAllStandardError()) + ffmpeg.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    DecodedAudio audio;
    audio.errors = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    audio.samples.resize(size_t(bytes.size() / 2));
    std::memcpy(audio.samples.data(), bytes.constData(), audio.samples.size() * 2);
    return audio;
}

} // namespace tunora::testing
