#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Songs made by ffmpeg when a test runs, in each of the six formats the program plays, from an
// expression of the time t (ffmpeg's aevalsrc), so a test knows what each second sounds like.
namespace tunora::testing {

struct SongFormat {
    const char *extension;
    const char *demuxer; // libavformat's name, as the program names it
    QStringList codec;   // ffmpeg's options for it
};

inline const SongFormat kSongFormats[] = {
    {"mp3", "mp3", {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("128k")}},
    {"wav", "wav", {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}},
    {"wma", "asf", {QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"), QStringLiteral("128k")}},
    {"flac", "flac", {QStringLiteral("-c:a"), QStringLiteral("flac")}},
    {"ogg", "ogg", {QStringLiteral("-c:a"), QStringLiteral("libvorbis"), QStringLiteral("-q:a"), QStringLiteral("4")}},
    {"m4a", "mov", {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("128k")}},
};

// Writes `path` as `seconds` of `expression` (in [-1, 1]) at 44.1 kHz mono; false, with what
// ffmpeg said in *error, when it could not.
inline bool makeSong(const QString &path, const SongFormat &format, const QString &expression, double seconds,
                     QString *error = nullptr, const QStringList &extra = {})
{
    QProcess ffmpeg;
    QStringList args{QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("aevalsrc=exprs='%1':s=44100:d=%2:c=mono").arg(expression).arg(seconds)};
    args << format.codec << extra << path;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    const bool made = ffmpeg.waitForFinished(120'000) && ffmpeg.exitStatus() == QProcess::NormalExit
        && ffmpeg.exitCode() == 0;
    if (!made && error)
        *error = QString::fromLocal8Bit(ffmpeg.readAllStandardError()) + ffmpeg.errorString();
    return made;
}

} // namespace tunora::testing
