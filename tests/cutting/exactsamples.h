#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

// A file decoded by ffmpeg's command-line tool without resampling or mixing, for tests that
// compare samples one by one.
namespace tunora::testing {

// A file's samples exactly as they are, whatever their bits, as 32-bit values (ffmpeg's tool
// puts 16 and 24 bits in their top bits), interleaved.
struct ExactSamples {
    std::vector<qint32> samples;
    int channels = 0;
    int rate = 0;
    QString messages;

    // The loudest sample of frames [from, to).
    qint64 peakBetween(qsizetype from, qsizetype to) const
    {
        qint64 peak = 0;
        for (qsizetype i = from * channels; i < to * channels && i < qsizetype(samples.size()); ++i)
            peak = std::max(peak, std::abs(qint64(samples[size_t(i)])));
        return peak;
    }
};

// False when the tool cannot run or fails.
inline bool runTool(const QString &tool, const QStringList &arguments, QByteArray &output,
                    QString *messages = nullptr)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    output = process.readAllStandardOutput();
    if (messages)
        *messages = QString::fromLocal8Bit(process.readAllStandardError());
    return true;
}

// The first audio stream's codec, sample format, rate, channels and bits, as ffprobe names them.
inline QString streamFormat(const QString &path)
{
    QByteArray said;
    runTool(QStringLiteral("ffprobe"),
            QStringLiteral("-v error -select_streams a:0 -of compact -show_entries "
                           "stream=codec_name,sample_fmt,sample_rate,channels,bits_per_raw_sample")
                    .split(u' ')
                << path,
            said);
    return QString::fromUtf8(said).trimmed();
}

// Nothing when the file cannot be decoded.
inline std::optional<ExactSamples> decodeExactly(const QString &path)
{
    ExactSamples decoded;
    for (const QString &field : streamFormat(path).split(u'|')) {
        if (field.startsWith(QStringLiteral("sample_rate=")))
            decoded.rate = field.mid(12).toInt();
        if (field.startsWith(QStringLiteral("channels=")))
            decoded.channels = field.mid(9).toInt();
    }
    const QStringList arguments = QStringList{QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                                              QStringLiteral("-i"), path}
        + QStringLiteral("-f s32le -").split(u' ');
    QByteArray bytes;
    if (decoded.rate <= 0 || decoded.channels <= 0 || !runTool(QStringLiteral("ffmpeg"), arguments, bytes, &decoded.messages))
        return std::nullopt;
    decoded.samples.resize(size_t(bytes.size()) / sizeof(qint32));
    std::memcpy(decoded.samples.data(), bytes.constData(), decoded.samples.size() * sizeof(qint32));
    return decoded;
}

} // namespace tunora::testing
