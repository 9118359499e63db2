// The seek strip's overview of 5-minute songs (MP3 VBR and CBR, WAV, WMA, FLAC, Ogg, M4A): the
// time to the first picture the strip can draw (the first estimate) and to the decoded
// envelope, each against
// `ffmpeg -i song -f null -` of the same song in the same run (which decodes it once, on one
// core for these codecs). ffmpeg's figure includes starting its process.
//
//   tunora_overview_bench [repetitions]
//
// The songs are made with ffmpeg under TMPDIR (or /tmp) and removed at the end.

#include "overview/overviewestimate.h"
#include "overview/overviewreading.h"
#include "platform/files/filenames.h"
#include "platform/files/filepath.h"

#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

constexpr double kSeconds = 300;

struct Song {
    const char *label;
    QString name;
    std::string encode;
};

std::string quoted(const QString &path)
{
    return "'" + encodeFileName(path).toStdString() + "'";
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
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    const int reps = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // Music-like: a tone whose level swells, over noise.
    const std::string source = "-f lavfi -i \"aevalsrc=exprs='(0.2+0.3*abs(sin(PI*t/7)))*sin(2*PI*(220+110*mod(floor(t),5))*t)"
                               "+0.05*(random(0)-0.5)|(0.2+0.3*abs(sin(PI*t/7)))*sin(2*PI*(330+55*mod(floor(t),3))*t)':"
                               "s=44100:d=300:c=stereo\"";
    const Song songs[] = {
        {"MP3 VBR", dir.filePath(u"vbr.mp3"_s), "-c:a libmp3lame -q:a 2"},
        {"MP3 CBR", dir.filePath(u"cbr.mp3"_s), "-c:a libmp3lame -b:a 192k"},
        {"WAV", dir.filePath(u"song.wav"_s), "-c:a pcm_s16le"},
        {"WMA", dir.filePath(u"song.wma"_s), "-c:a wmav2 -b:a 192k"},
        {"FLAC", dir.filePath(u"song.flac"_s), "-c:a flac"},
        {"Ogg", dir.filePath(u"song.ogg"_s), "-c:a libvorbis -q:a 5"},
        {"M4A", dir.filePath(u"song.m4a"_s), "-c:a aac -b:a 192k"},
    };
    const std::atomic<bool> running{false};
    for (const Song &song : songs) {
        const std::string make = "ffmpeg -nostdin -v error -y " + source + " " + song.encode + " " + quoted(song.name);
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "cannot make the %s song\n", song.label);
            return 1;
        }
        const std::string ffmpeg = "ffmpeg -nostdin -v error -i " + quoted(song.name) + " -f null -";
        const double baseline = medianMs(reps, [&] { return std::system(ffmpeg.c_str()) == 0; });
        const double first = medianMs(reps, [&] {
            const std::optional<SongOverview> estimate = estimateOverview(FilePath(song.name), kSeconds, running);
            return estimate && estimate->estimate;
        });
        const double envelope = medianMs(reps, [&] {
            return readOverview(FilePath(song.name), kSeconds, running).has_value();
        });
        std::printf("%s 5-minute song: ffmpeg -f null %.1f ms, first picture %.1f ms, ratio %.2f, "
                    "decoded envelope %.1f ms, ratio %.2f\n",
                    song.label, baseline, first, first / baseline, envelope, envelope / baseline);
        std::fflush(stdout);
    }
    return 0;
}
