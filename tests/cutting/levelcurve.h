#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

// A file's loudness over time as a player hears it: decoded by ffmpeg's command-line tool at
// 44.1 kHz, its first channel measured in short windows.
namespace tunora::testing {

struct LevelCurve {
    static constexpr double kWindowSeconds = 0.01;
    std::vector<double> db; // each window's level in dBFS of a sine's peak (RMS + 3 dB)
    std::vector<double> peakDbs; // each window's loudest sample in dBFS
    double peakDb = -200;   // the loudest sample
    QString messages;       // what the decoder reported at level "error": nothing for a sound file

    double seconds() const { return double(db.size()) * kWindowSeconds; }
    double at(double seconds) const
    {
        const size_t i = size_t(std::max(0.0, seconds) / kWindowSeconds);
        return i < db.size() ? db[i] : -200;
    }
    // The median level between two times: the level of a steady stretch.
    double steadyBetween(double from, double to) const
    {
        std::vector<double> v(db.begin() + qsizetype(from / kWindowSeconds), db.begin() + qsizetype(to / kWindowSeconds));
        std::nth_element(v.begin(), v.begin() + qsizetype(v.size() / 2), v.end());
        return v[v.size() / 2];
    }
};

inline std::optional<LevelCurve> decodeLevels(const QString &path)
{
    constexpr int kRate = 44100;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                  QStringLiteral("-f"), QStringLiteral("f32le"), QStringLiteral("-af"), QStringLiteral("pan=mono|c0=c0"),
                  QStringLiteral("-ar"), QString::number(kRate), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(60'000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return std::nullopt;
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    std::vector<float> samples(size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    LevelCurve curve;
    curve.messages = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    const size_t window = size_t(LevelCurve::kWindowSeconds * kRate);
    for (size_t at = 0; at + window <= samples.size(); at += window) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i)
            sum += double(samples[i]) * samples[i];
        curve.db.push_back(10 * std::log10(std::max(sum / double(window) * 2, 1e-20)));
        float peak = 0;
        for (size_t i = at; i < at + window; ++i)
            peak = std::max(peak, std::abs(samples[i]));
        curve.peakDbs.push_back(20 * std::log10(std::max(double(peak), 1e-10)));
    }
    for (const float s : samples)
        curve.peakDb = std::max(curve.peakDb, 20 * std::log10(std::max(double(std::abs(s)), 1e-10)));
    return curve;
}

} // namespace tunora::testing
