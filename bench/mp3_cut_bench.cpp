// MP3 cuts and merges through the engines on 40 MB songs, VBR and CBR, each against
// `ffmpeg -ss -t -c copy` of the same stretches, and the CBR cut against the VBR one, in the
// same run. A VBR cut walks the frame headers up to its end mark; a CBR cut walks them all (to
// know the song is CBR) and then takes its proportional slice; a merge walks each song and
// writes whole frames.
// ffmpeg's figure includes starting its process, once per stretch.
// The same 30 s cut with the ringtone effects on (a fade in and out by the granules' gains) is
// set beside the plain cut and `ffmpeg -ss -t` re-encoding the stretch with `afade`.
//
//   tunora_mp3_cut_bench [repetitions]
//
// The songs are made with ffmpeg under TMPDIR (or /tmp) and removed at the end.

#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"
#include "platform/files/filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

constexpr int kSongs = 20;
constexpr double kSeconds = 30.0;
constexpr double kCutStart = 1200.0; // the single cut: well into the song
constexpr qint64 kSongBytes = 40'000'000;

std::string quoted(const QString &path)
{
    return "'" + encodeFileName(path).toStdString() + "'";
}

bool run(const std::string &command)
{
    return std::system(command.c_str()) == 0;
}

double medianMs(int reps, const std::function<void()> &before, const std::function<bool()> &step)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        before();
        const auto started = std::chrono::steady_clock::now();
        if (!step()) {
            std::fprintf(stderr, "a step failed\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Kind {
    const char *label;
    const char *encode; // ffmpeg options for four minutes of it
};

QString songName(const char *label, int i)
{
    return QString::fromLatin1(label) + u"%1.mp3"_s.arg(i, 2, 10, QLatin1Char('0'));
}

// Four minutes of song, quiet and loud in turn, looped (frames copied) to 40 MB, and copies.
bool makeSongs(const QString &songs, const QString &work, const Kind &kind)
{
    const QString base = work + u"/base.mp3"_s;
    const std::string signal =
        "-filter_complex \"anoisesrc=c=pink:a=0.5:r=44100:d=240:seed=3,"
        "volume=volume='if(lt(mod(t,20),8),0.05,1)':eval=frame,aformat=channel_layouts=stereo[n];"
        "aevalsrc=exprs='0.3*sin(2*PI*(300+100*mod(floor(t),30))*t)':s=44100:d=240:c=stereo[t];"
        "[t][n]amix=inputs=2:normalize=0\" ";
    if (!run("ffmpeg -nostdin -v error -y " + signal + kind.encode + " " + quoted(base)))
        return false;
    const qint64 loops = kSongBytes / QFileInfo(base).size();
    const QString first = songs + songName(kind.label, 0);
    if (!run("ffmpeg -nostdin -v error -y -stream_loop " + std::to_string(loops) + " -i " + quoted(base)
             + " -c copy " + quoted(first)))
        return false;
    for (int i = 1; i < kSongs; ++i)
        if (!QFile::copy(first, songs + songName(kind.label, i)))
            return false;
    return true;
}

QList<SongRow> mergeRows(const char *label)
{
    QList<SongRow> rows;
    for (int i = 0; i < kSongs; ++i) {
        const double start = 100.0 + 50.0 * i;
        rows.append({songName(label, i), QString::number(start), QString::number(start + kSeconds),
                     QString::number(kSeconds), u"2000"_s});
    }
    return rows;
}

// What a re-encoding cutter does for a faded ringtone: decode, fade, encode again.
std::string ffmpegFadedCut(const QString &song, double start, const QString &out)
{
    return "ffmpeg -nostdin -v error -y -ss " + std::to_string(start) + " -t " + std::to_string(kSeconds) + " -i "
        + quoted(song) + " -af afade=t=in:d=1,afade=t=out:st=" + std::to_string(kSeconds - 2) + ":d=2"
        + " -c:a libmp3lame -b:a 128k " + quoted(out);
}

std::string ffmpegCut(const QString &song, double start, const QString &out)
{
    return "ffmpeg -nostdin -v error -y -ss " + std::to_string(start) + " -t " + std::to_string(kSeconds) + " -i "
        + quoted(song) + " -c copy " + quoted(out);
}

void clear(const QStringList &dirs)
{
    for (const QString &dir : dirs)
        for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir + u"/"_s + name);
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
    const QString ffmpegOut = dir.path() + u"/ffmpeg"_s;
    for (const QString &sub : {u"songs"_s, u"work"_s, u"program"_s, u"ffmpeg"_s})
        QDir(dir.path()).mkdir(sub);
    const QStringList outputDirs = {outputs.workDir.text(), outputs.programDir.text(), ffmpegOut};
    const auto clearOutputs = [&] { clear(outputDirs); }; // no earlier output to replace

    const Kind kinds[] = {
        {"vbr", "-c:a libmp3lame -q:a 0"},
        {"cbr", "-c:a libmp3lame -b:a 128k"},
    };
    double cutMsOf[2] = {0, 0}; // VBR, CBR
    for (const Kind &kind : kinds) {
        if (!makeSongs(songs, dir.path(), kind)) {
            std::fprintf(stderr, "ffmpeg cannot make the %s songs\n", kind.label);
            return 1;
        }
        const QString song = songName(kind.label, 0);
        const SongRow row{song, QString::number(kCutStart), QString::number(kCutStart + kSeconds),
                          QString::number(kSeconds), u"2000"_s};
        const QList<SongRow> rows = mergeRows(kind.label);
        const auto cut = [&] { return cutOne(FilePath(songs), row, outputs) == CutOutcome::Written; };
        RingtoneEffects effects;
        effects.fadeIn = effects.fadeOut = effects.evenLoudness = true;
        const auto fadedCut = [&] {
            return cutOneShaped(FilePath(songs), row, outputs, effects).outcome == CutOutcome::Written;
        };
        const auto ffmpegFaded = [&] {
            return run(ffmpegFadedCut(songs + song, kCutStart, ffmpegOut + u"/faded.mp3"_s));
        };
        const auto ffmpegOne = [&] { return run(ffmpegCut(songs + song, kCutStart, ffmpegOut + u"/cut.mp3"_s)); };
        const auto merge = [&] { return mergeAll(FilePath(songs), rows, outputs).kind == MergeOutcome::Kind::Written; };
        const auto ffmpegEach = [&] {
            for (qsizetype i = rows.size() - 1; i >= 0; --i)
                if (!run(ffmpegCut(songs + rows[i].name, rows[i].start.toDouble(),
                                   ffmpegOut + u"/"_s + rows[i].name)))
                    return false;
            return true;
        };
        // Warm each once, so none pays for first touches of the page cache.
        clearOutputs();
        if (!cut() || !ffmpegOne() || !merge() || !ffmpegEach()) {
            std::fprintf(stderr, "a %s cut or merge failed\n", kind.label);
            return 1;
        }
        const double cutMs = medianMs(reps, clearOutputs, cut);
        cutMsOf[&kind - kinds] = cutMs;
        const double ffmpegCutMs = medianMs(reps, clearOutputs, ffmpegOne);
        const double mergeMs = medianMs(reps, clearOutputs, merge);
        const double ffmpegMergeMs = medianMs(std::max(1, reps / 2), clearOutputs, ffmpegEach);
        const double fadedMs = medianMs(reps, clearOutputs, fadedCut);
        const double ffmpegFadedMs = medianMs(std::max(1, reps / 2), clearOutputs, ffmpegFaded);
        const qint64 bytes = QFileInfo(songs + song).size();
        std::printf("%s source %lld bytes; 30 s cut: engine %.1f ms, ffmpeg -c copy %.1f ms, ratio %.3f\n", kind.label,
                    static_cast<long long>(bytes), cutMs, ffmpegCutMs, cutMs / ffmpegCutMs);
        std::printf("%s source %lld bytes; %d-row merge: engine %.1f ms, ffmpeg -c copy of each %.1f ms, ratio %.3f\n",
                    kind.label, static_cast<long long>(bytes), kSongs, mergeMs, ffmpegMergeMs, mergeMs / ffmpegMergeMs);
        std::printf("%s source %lld bytes; 30 s cut with fades and 响度统一: engine %.1f ms (plain cut %.1f ms), "
                    "ffmpeg -ss -t re-encoding with afade %.1f ms, ratio %.3f\n",
                    kind.label, static_cast<long long>(bytes), fadedMs, cutMs, ffmpegFadedMs, fadedMs / ffmpegFadedMs);
        for (int i = 1; i < kSongs; ++i)
            QFile::remove(songs + songName(kind.label, i));
    }
    // A CBR cut takes its slice once it knows the song is CBR: it should cost no more than a
    // VBR cut, which walks the frames to its end mark.
    std::printf("30 s cut of a 40 MB song: CBR %.1f ms, VBR %.1f ms, ratio cbr/vbr %.3f\n", cutMsOf[1], cutMsOf[0],
                cutMsOf[1] / cutMsOf[0]);
    return 0;
}
