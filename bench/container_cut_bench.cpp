// A 30 s ringtone cut from a 40 MB WMA and a 40 MB FLAC song through the cut engine, against
// `ffmpeg -ss -t -c copy` of the same stretch, in the same run. The engine copies packets
// without decoding, as ffmpeg does here; ffmpeg's figure includes starting its process.
//
//   tunora_container_cut_bench [repetitions]
//
// The songs are made with ffmpeg under TMPDIR (or /tmp) and removed at the end.

#include "cutting/cutengine.h"
#include "platform/files/filenames.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

constexpr double kStart = 100.0;
constexpr double kSeconds = 30.0;

struct Source {
    const char *label;
    QString name;
    std::string encode; // ffmpeg options that make about 40 MB of it
};

std::string quoted(const QString &path)
{
    return "'" + encodeFileName(path).toStdString() + "'";
}

bool run(const std::string &command)
{
    return std::system(command.c_str()) == 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename Step>
double medianMs(int reps, Step step)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const auto started = std::chrono::steady_clock::now();
        if (!step()) {
            std::fprintf(stderr, "a cut failed\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    const int reps = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString songs = dir.path() + u"/songs/"_s;
    const OutputDirs outputs{FilePath(dir.path() + u"/work"_s), FilePath(dir.path() + u"/program"_s)};
    for (const QString &sub : {u"songs"_s, u"work"_s, u"program"_s, u"ffmpeg"_s})
        QDir(dir.path()).mkdir(sub);

    // Noise does not compress, so the files are large for their length.
    const Source sources[] = {
        {"wma", u"song.wma"_s, "-f lavfi -i anoisesrc=d=530:c=pink:a=0.3 -ac 2 -c:a wmav2 -b:a 320k"},
        {"flac", u"song.flac"_s, "-f lavfi -i anoisesrc=d=320:c=white:a=0.5 -ac 2 -ar 44100 -c:a flac"},
    };
    for (const Source &source : sources) {
        const QString path = songs + source.name;
        if (!run("ffmpeg -nostdin -v error -y " + source.encode + " " + quoted(path))) {
            std::fprintf(stderr, "ffmpeg cannot make the %s song\n", source.label);
            return 1;
        }
        const SongRow row{source.name, QString::number(kStart), QString::number(kStart + kSeconds),
                          QString::number(kSeconds), u"0"_s};
        const QString baselineOut = dir.path() + u"/ffmpeg/out."_s + QString::fromLatin1(source.label);
        const std::string baseline = "ffmpeg -nostdin -v error -y -ss " + std::to_string(kStart) + " -t "
            + std::to_string(kSeconds) + " -i " + quoted(path) + " -map 0:a -c copy " + quoted(baselineOut);

        // Warm both once, so neither pays for first touches of the page cache.
        if (cutOne(FilePath(songs), row, outputs) != CutOutcome::Written || !run(baseline)) {
            std::fprintf(stderr, "the %s cut failed\n", source.label);
            return 1;
        }
        const double engineMs = medianMs(reps, [&] { return cutOne(FilePath(songs), row, outputs) == CutOutcome::Written; });
        const double ffmpegMs = medianMs(reps, [&] { return run(baseline); });
        const qint64 bytes = QFileInfo(path).size();
        std::printf("%s source %lld bytes; 30 s cut: engine %.1f ms, ffmpeg -c copy %.1f ms, ratio %.2f "
                    "(output %lld vs %lld bytes)\n",
                    source.label, static_cast<long long>(bytes), engineMs, ffmpegMs, engineMs / ffmpegMs,
                    static_cast<long long>(QFileInfo(outputs.programDir.text() + u"/[铃声]"_s + source.name).size()),
                    static_cast<long long>(QFileInfo(baselineOut).size()));
    }
    return 0;
}
