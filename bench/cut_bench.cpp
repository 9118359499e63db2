// Cut all and merge all through the engines, each against a baseline that copies the same
// byte ranges with plain positioned reads and writes. Every phase runs in a child process
// of its own, so the peak resident memory it reports belongs to that phase alone.
//
//   tunora_cut_bench [songs] [megabytes per song] [repetitions]
//
// Songs are written to a temporary folder under TMPDIR (or /tmp) and removed at the end.

#include "cutting/cutengine.h"
#include "cutting/mergeengine.h"
#include "cutting/sourcesegment.h"
#include "platform/files/filenames.h"
#include "platform/files/fileio.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

constexpr double kSongSeconds = 2500.0;
constexpr double kSegmentSeconds = 30.0;

struct Setup {
    QString root;
    int songs = 20;
    qint64 songBytes = 40'000'000;
    int reps = 9;

    FilePath songFolder() const { return FilePath(root + u"/songs"_s); }
    OutputDirs engineDirs() const { return {FilePath(root + u"/work"_s), FilePath(root + u"/program"_s)}; }
    QString baselineDir() const { return root + u"/baseline"_s; }
};

QString songName(int i)
{
    return u"song%1.mp3"_s.arg(i, 2, 10, QLatin1Char('0'));
}

QList<SongRow> rowsOf(const Setup &setup)
{
    QList<SongRow> rows;
    for (int i = 0; i < setup.songs; ++i) {
        const double start = 100.0 + 50.0 * i;
        rows.append({songName(i), QString::number(start), QString::number(start + kSegmentSeconds),
                     QString::number(kSegmentSeconds), QString::number(kSongSeconds)});
    }
    return rows;
}

void writeSongs(const Setup &setup)
{
    const qint64 chunk = qint64(4) << 20;
    std::vector<quint64> buffer(size_t(chunk / 8));
    quint64 state = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < setup.songs; ++i) {
        AtomicFileWriter out(setup.songFolder() / songName(i));
        for (qint64 done = 0; done < setup.songBytes; done += chunk) {
            for (quint64 &word : buffer) { // xorshift: distinct bytes, cheap to make
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                word = state;
            }
            out.write(reinterpret_cast<const char *>(buffer.data()), qMin(chunk, setup.songBytes - done));
        }
        if (!out.commit()) {
            std::fprintf(stderr, "cannot write the songs\n");
            std::exit(1);
        }
    }
}

// The ranges the engine cuts, taken before the baseline's clock starts.
std::vector<SegmentRange> rangesOf(const Setup &setup, const QList<SongRow> &rows)
{
    std::vector<SegmentRange> ranges;
    for (const SongRow &row : rows)
        ranges.push_back(locateSegment(setup.songFolder(), row).range);
    return ranges;
}

bool copyRange(int in, int out, SegmentRange range, char *buffer, qint64 bufferSize)
{
    for (qint64 done = 0; done < range.length;) {
        const qint64 want = qMin(bufferSize, range.length - done);
        const ssize_t n = ::pread(in, buffer, size_t(want), off_t(range.offset + done));
        if (n <= 0 || ::write(out, buffer, size_t(n)) != n)
            return false;
        done += n;
    }
    return true;
}

// Plain copies, bottom row first like the engine: open, pread, write, close; with `synced`
// each output is flushed to disk before it is closed, as the engine does before its rename.
bool baselineCut(const Setup &setup, const QList<SongRow> &rows, const std::vector<SegmentRange> &ranges,
                 bool synced)
{
    const qint64 bufferSize = qint64(1) << 20;
    const auto buffer = std::make_unique<char[]>(size_t(bufferSize));
    for (qsizetype i = rows.size() - 1; i >= 0; --i) {
        const int in = ::open((setup.songFolder() / rows[i].name).bytes().constData(), O_RDONLY);
        const int out = ::open(encodeFileName(setup.baselineDir() + u"/"_s + rows[i].name).constData(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const bool ok = in >= 0 && out >= 0 && copyRange(in, out, ranges[size_t(i)], buffer.get(), bufferSize)
            && (!synced || ::fdatasync(out) == 0);
        ::close(in);
        ::close(out);
        if (!ok)
            return false;
    }
    return true;
}

bool baselineMerge(const Setup &setup, const QList<SongRow> &rows, const std::vector<SegmentRange> &ranges,
                   bool synced)
{
    const qint64 bufferSize = qint64(1) << 20;
    const auto buffer = std::make_unique<char[]>(size_t(bufferSize));
    const int out = ::open(encodeFileName(setup.baselineDir() + u"/merged.mp3"_s).constData(),
                           O_WRONLY | O_CREAT | O_TRUNC, 0666);
    bool ok = out >= 0;
    for (qsizetype i = rows.size() - 1; ok && i >= 0; --i) {
        const int in = ::open((setup.songFolder() / rows[i].name).bytes().constData(), O_RDONLY);
        ok = in >= 0 && copyRange(in, out, ranges[size_t(i)], buffer.get(), bufferSize);
        ::close(in);
    }
    ok = ok && (!synced || ::fdatasync(out) == 0);
    ::close(out);
    return ok;
}

// What the engines did before: each song read whole, the segment taken from memory.
bool wholeFileCut(const Setup &setup, const QList<SongRow> &rows, const std::vector<SegmentRange> &ranges)
{
    for (qsizetype i = rows.size() - 1; i >= 0; --i) {
        ReadFile in(setup.songFolder() / rows[i].name);
        QByteArray all(in.size(), Qt::Uninitialized);
        if (!readExactly(in, 0, all.data(), all.size()))
            return false;
        const SegmentRange r = ranges[size_t(i)];
        const int out = ::open(encodeFileName(setup.baselineDir() + u"/"_s + rows[i].name).constData(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const bool ok = out >= 0 && ::write(out, all.constData() + r.offset, size_t(r.length)) == r.length;
        ::close(out);
        if (!ok)
            return false;
    }
    return true;
}

long peakResidentKb()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kb;
}

// One phase, repeated; prints "median-ms min-ms peak-kb".
int runPhase(const Setup &setup, const std::string &phase)
{
    const QList<SongRow> rows = rowsOf(setup);
    const std::vector<SegmentRange> ranges = rangesOf(setup, rows);
    std::vector<double> times;
    for (int rep = 0; rep < setup.reps; ++rep) {
        // Every repetition starts alike: no earlier outputs to replace (unless replacing them
        // is what is measured), no writeback pending.
        if (!phase.ends_with("-replacing"))
            for (const QString &dir : {setup.engineDirs().workDir.text(), setup.engineDirs().programDir.text(), setup.baselineDir()})
                for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
                    QFile::remove(dir + u"/"_s + name);
        ::sync();
        const auto started = std::chrono::steady_clock::now();
        bool ok = false;
        if (phase == "engine-cut" || phase == "engine-cut-replacing") {
            const CutTally tally = cutAll(setup.songFolder(), rows, setup.engineDirs());
            ok = tally.succeeded == setup.songs;
        } else if (phase == "engine-merge") {
            ok = mergeAll(setup.songFolder(), rows, setup.engineDirs()).kind == MergeOutcome::Kind::Written;
        } else if (phase == "baseline-cut" || phase == "synced-baseline-cut") {
            ok = baselineCut(setup, rows, ranges, phase.starts_with("synced"));
        } else if (phase == "baseline-merge" || phase == "synced-baseline-merge") {
            ok = baselineMerge(setup, rows, ranges, phase.starts_with("synced"));
        } else if (phase == "whole-file-cut") {
            ok = wholeFileCut(setup, rows, ranges);
        }
        const auto stopped = std::chrono::steady_clock::now();
        if (!ok) {
            std::fprintf(stderr, "phase %s failed\n", phase.c_str());
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(stopped - started).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%.3f %.3f %ld\n", times[times.size() / 2], times.front(), peakResidentKb());
    return 0;
}

struct PhaseResult {
    double medianMs = 0;
    double minMs = 0;
    long peakKb = 0;
};

PhaseResult runChild(const Setup &setup, const char *phase)
{
    const std::string command = "/proc/" + std::to_string(::getpid()) + "/exe --phase " + phase + " '"
        + encodeFileName(setup.root).toStdString() + "' " + std::to_string(setup.songs) + " "
        + std::to_string(setup.songBytes) + " " + std::to_string(setup.reps);
    FILE *child = ::popen(command.c_str(), "r");
    PhaseResult result;
    if (!child || std::fscanf(child, "%lf %lf %ld", &result.medianMs, &result.minMs, &result.peakKb) != 3
        || ::pclose(child) != 0) {
        std::fprintf(stderr, "phase %s did not run\n", phase);
        std::exit(1);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    Setup setup;
    if (argc >= 2 && std::strcmp(argv[1], "--phase") == 0) {
        if (argc != 7)
            return 2;
        setup.root = decodeFileName(QByteArray(argv[3]));
        setup.songs = std::atoi(argv[4]);
        setup.songBytes = std::atoll(argv[5]);
        setup.reps = std::atoi(argv[6]);
        return runPhase(setup, argv[2]);
    }
    if (argc >= 2)
        setup.songs = std::max(2, std::atoi(argv[1]));
    if (argc >= 3)
        setup.songBytes = qint64(std::max(1, std::atoi(argv[2]))) * 1'000'000;
    if (argc >= 4)
        setup.reps = std::max(1, std::atoi(argv[3]));

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    setup.root = dir.path();
    for (const QString &sub : {u"songs"_s, u"work"_s, u"program"_s, u"baseline"_s})
        QDir(setup.root).mkdir(sub);

    std::printf("%d songs of %lld bytes, %g s segments of a %g s song, %d repetitions per phase\n",
                setup.songs, static_cast<long long>(setup.songBytes), kSegmentSeconds, kSongSeconds, setup.reps);
    const auto started = std::chrono::steady_clock::now();
    writeSongs(setup);
    std::printf("songs written in %.0f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());

    const QList<SongRow> rows = rowsOf(setup);
    qint64 largest = 0;
    for (const SegmentRange &r : rangesOf(setup, rows))
        largest = std::max(largest, r.length);

    // Warm both sides once, so neither pays for first touches of the page cache.
    for (const char *phase : {"engine-cut", "baseline-cut", "synced-baseline-cut", "engine-merge", "baseline-merge",
                              "synced-baseline-merge"})
        runChild(Setup{setup.root, setup.songs, setup.songBytes, 1}, phase);

    const PhaseResult engineCut = runChild(setup, "engine-cut");
    const PhaseResult baseCut = runChild(setup, "baseline-cut");
    const PhaseResult syncedCut = runChild(setup, "synced-baseline-cut");
    const PhaseResult engineCutReplacing = runChild(setup, "engine-cut-replacing");
    const PhaseResult engineMerge = runChild(setup, "engine-merge");
    const PhaseResult baseMerge = runChild(setup, "baseline-merge");
    const PhaseResult syncedMerge = runChild(setup, "synced-baseline-merge");
    const PhaseResult wholeCut = runChild(setup, "whole-file-cut");

    const double limitKb = 64.0 * 1024 + double(largest) / 1024;
    std::printf("largest segment %lld bytes; peak memory limit %.0f kB\n", static_cast<long long>(largest), limitKb);
    std::printf("%-28s %10s %10s %12s\n", "phase", "median ms", "min ms", "peak RSS kB");
    const auto show = [](const char *name, const PhaseResult &r) {
        std::printf("%-28s %10.2f %10.2f %12ld\n", name, r.medianMs, r.minMs, r.peakKb);
    };
    show("cut all (engine)", engineCut);
    show("cut all (baseline)", baseCut);
    show("cut all (synced baseline)", syncedCut);
    show("cut all (engine, replacing)", engineCutReplacing);
    show("merge all (engine)", engineMerge);
    show("merge all (baseline)", baseMerge);
    show("merge all (synced baseline)", syncedMerge);
    show("cut all, whole-file reads", wholeCut);
    const auto ratio = [](const char *name, const PhaseResult &engine, const PhaseResult &base) {
        std::printf("ratio %-32s median %.2f, min %.2f\n", name, engine.medianMs / base.medianMs,
                    engine.minMs / base.minMs);
    };
    ratio("cut all engine/baseline", engineCut, baseCut);
    ratio("cut all engine/synced baseline", engineCut, syncedCut);
    ratio("cut all replacing/synced baseline", engineCutReplacing, syncedCut);
    ratio("merge all engine/baseline", engineMerge, baseMerge);
    ratio("merge all engine/synced baseline", engineMerge, syncedMerge);
    const bool memoryOk = engineCut.peakKb < limitKb && engineCutReplacing.peakKb < limitKb
        && engineMerge.peakKb < limitKb;
    std::printf("engine peak RSS within limit: %s\n", memoryOk ? "yes" : "NO");
    return 0;
}
