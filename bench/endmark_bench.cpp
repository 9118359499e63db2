// How precisely and how cheaply the end-mark timer stops real playback at an end mark.
//
// With the real engine, one song is previewed up to 20 different end marks (starting a
// lead-in before each) four ways, interleaved: the end-mark timer; the same timer as first
// planned (its checks planned for the end mark itself, and seeks seen only by the poll); a
// plain 1 ms poll that checks the same rule on every tick; and plain playback without any
// timer, stopped after the same lead-in. Reported: median and maximum overshoot of the stop
// past the end mark and past the first position that the rule counts (the rounded moment,
// half a hundredth before the mark), taking the player's position at the stop, and the
// program's CPU use (getrusage, all threads, the engine's included) from the play request to
// the stop. Then the seek bar's jump: playing before an end mark, the position is set past
// it, and the time from the jump to the stop is reported for both planned timers.
//
// Usage: tunora_endmark_bench [song.mp3]
// Without a song, a 70 s tone is made with sox and lame in a temporary folder.

#include "library/songlistmodel.h"
#include "marking/endmarkplan.h"
#include "marking/endmarktimer.h"
#include "platform/engine/mpvplayer.h"
#include "platform/numbers/numbers.h"

#include "marking/recordingplayer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <clocale>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

using namespace tunora;
using tunora::test::RecordingPlayer;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kMarks = 20;
constexpr double kLeadIn = 2.0;
constexpr double kSongSeconds = 70.0;
// Seek-bar jumps: from this far before the end mark to this far past it.
constexpr double kJumpFrom = 3.0;
constexpr double kJumpPast = 1.5;

enum class Mode { Planned, MarkPlanned, Poll, Plain };
constexpr Mode kModes[] = {Mode::Planned, Mode::MarkPlanned, Mode::Poll, Mode::Plain};
constexpr int kModeCount = int(std::size(kModes));

const char *modeName(Mode mode)
{
    switch (mode) {
    case Mode::Planned: return "end-mark timer";
    case Mode::MarkPlanned: return "planned at mark";
    case Mode::Poll: return "1 ms poll";
    case Mode::Plain: return "plain playback";
    }
    return "";
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

QString makeSong(const QTemporaryDir &dir)
{
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("bench.mp3"));
    const bool made =
        run(QStringLiteral("sox"), {QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                                    QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16"), wav,
                                    QStringLiteral("synth"), QString::number(kSongSeconds), QStringLiteral("sine"),
                                    QStringLiteral("440"), QStringLiteral("vol"), QStringLiteral("0.5")})
        && run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("64"),
                                        QStringLiteral("--cbr"), QStringLiteral("-m"), QStringLiteral("m"), wav, mp3});
    return made ? mp3 : QString();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The check as first conceived: a 1 ms timer that scans the list and reads the position
// on every tick.
class PollTimer : public QObject {
public:
    PollTimer(MediaPlayer &player, const SongListModel &songs, QString song)
        : m_player(player), m_songs(songs), m_song(std::move(song))
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const int row = m_songs.rowOfSong(m_song);
            if (row < 0)
                return;
            if (endMarkReached(m_player.currentPosition(), numberFromText(m_songs.cell(row, SongListModel::End)))) {
                m_timer.stop();
                m_player.stop();
            }
        });
    }
    void arm() { m_timer.start(); }

private:
    MediaPlayer &m_player;
    const SongListModel &m_songs;
    QString m_song;
    QTimer m_timer;
};

// The end-mark timer as first planned: each check plans the next for the moment the
// position reaches the end mark itself (5 ms after the rounded position does), replanned on
// play-state and open-state events; a seek is seen only by the 100 ms poll.
class MarkPlannedTimer : public QObject {
public:
    MarkPlannedTimer(MediaPlayer &player, const SongListModel &songs, QString song)
        : m_player(player), m_songs(songs), m_song(std::move(song))
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { check(); });
        connect(&m_player, &MediaPlayer::playStateChanged, this, [this] { soon(); });
        connect(&m_player, &MediaPlayer::openStateChanged, this, [this] { soon(); });
    }
    void arm()
    {
        m_armed = true;
        soon();
    }
    void disarm()
    {
        m_armed = false;
        m_timer.stop();
    }

private:
    void soon()
    {
        if (m_armed)
            m_timer.start(0);
    }
    void check()
    {
        if (!m_armed)
            return;
        const int row = m_songs.rowOfSong(m_song);
        if (row < 0) {
            m_timer.start(1000);
            return;
        }
        const double position = m_player.currentPosition();
        const float endMark = numberFromText(m_songs.cell(row, SongListModel::End));
        if (endMarkReached(position, endMark)) {
            disarm();
            m_player.stop();
            return;
        }
        const double remainingMs = (double(endMark) - position) * 1000.0;
        const bool advancing = m_player.playState() == PlayState::Playing;
        if (!advancing || remainingMs >= 100)
            m_timer.start(100);
        else
            m_timer.start(std::max(1, int(std::ceil(remainingMs - 0.001))));
    }

    MediaPlayer &m_player;
    const SongListModel &m_songs;
    QString m_song;
    QTimer m_timer;
    bool m_armed = false;
};

struct Totals {
    std::vector<double> overshootMs;
    std::vector<double> pastRoundedMs;
    double cpu = 0;
    double wall = 0;
    int missed = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");

    QTemporaryDir dir;
    const QString song = argc > 1 ? QString::fromLocal8Bit(argv[1]) : makeSong(dir);
    if (song.isEmpty() || !QFileInfo::exists(song)) {
        std::fprintf(stderr, "no song: give one, or install sox and lame\n");
        return 1;
    }
    QString error;
    const auto engine = MpvPlayer::create(&error);
    if (!engine) {
        std::fprintf(stderr, "no engine: %s\n", qPrintable(error));
        return 1;
    }
    RecordingPlayer player(*engine);
    player.setPlaylist({FilePath(song)});

    const QString name = QFileInfo(song).fileName();
    SongListModel songs;
    songs.insertSong(0, name);
    QTimer ticker;
    EndMarkTimer planned(player, songs, [&name] { return name; }, ticker);
    MarkPlannedTimer markPlanned(player, songs, name);
    PollTimer poll(player, songs, name);

    // Warm-up: the first load pays for opening the engine's outputs.
    player.playItem(0);
    waitMs(1000);
    player.stop();
    waitMs(300);

    Totals totals[kModeCount];
    for (int i = 0; i < kMarks; ++i) {
        const double endMark = roundTo2(3.0 + i * 3.17 + (i % 7) * 0.013);
        songs.setCell(0, SongListModel::End, markText(endMark));
        for (int k = 0; k < kModeCount; ++k) {
            // Rotated, so that no way is always first after a pause.
            const Mode mode = kModes[(i + k) % kModeCount];
            Totals &total = totals[int(mode)];
            const qsizetype stopsBefore = player.stops.size();

            QEventLoop loop;
            QObject::connect(&player, &MediaPlayer::playStateChanged, &loop, [&loop](PlayState state) {
                if (state == PlayState::Stopped)
                    loop.quit();
            });
            QTimer giveUp;
            giveUp.setSingleShot(true);
            QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
            giveUp.start(int((kLeadIn + 10) * 1000));

            const double cpu0 = cpuSeconds();
            const auto wall0 = Clock::now();
            player.playItem(0);
            player.setCurrentPosition(endMark - kLeadIn);
            if (mode == Mode::Planned)
                planned.arm();
            else if (mode == Mode::MarkPlanned)
                markPlanned.arm();
            else if (mode == Mode::Poll)
                poll.arm();
            else
                QTimer::singleShot(int(kLeadIn * 1000), &player, [&player] { player.stop(); });
            loop.exec();
            const double cpu = cpuSeconds() - cpu0;
            const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();

            if (player.stops.size() == stopsBefore) {
                ++total.missed;
                planned.disarm();
                markPlanned.disarm();
                player.stop();
            } else if (mode != Mode::Plain) {
                const double at = player.stops.last().position;
                total.overshootMs.push_back((at - endMark) * 1000.0);
                total.pastRoundedMs.push_back((at - firstPositionReaching(endMark)) * 1000.0);
            }
            total.cpu += cpu;
            total.wall += wall;
            waitMs(200);
        }
    }

    // Seek-bar jumps past the end mark, for both planned timers, interleaved.
    std::vector<double> jumpMs[2];
    int jumpMissed[2] = {0, 0};
    for (int i = 0; i < kMarks; ++i) {
        const double endMark = roundTo2(8.0 + i * 2.9 + (i % 5) * 0.011);
        songs.setCell(0, SongListModel::End, markText(endMark));
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2;
            const qsizetype stopsBefore = player.stops.size();
            player.playItem(0);
            player.setCurrentPosition(endMark - kJumpFrom);
            if (which == 0)
                planned.arm();
            else
                markPlanned.arm();
            // Jumps at different moments against the poll's rhythm.
            waitMs(600 + (i * 37) % 100);
            if (player.stops.size() != stopsBefore) {
                ++jumpMissed[which];
                continue;
            }
            const auto jumped = Clock::now();
            player.setCurrentPosition(endMark + kJumpPast);
            QEventLoop loop;
            QObject::connect(&player, &MediaPlayer::playStateChanged, &loop, [&loop](PlayState state) {
                if (state == PlayState::Stopped)
                    loop.quit();
            });
            QTimer::singleShot(3000, &loop, &QEventLoop::quit);
            loop.exec();
            if (player.stops.size() == stopsBefore) {
                ++jumpMissed[which];
                planned.disarm();
                markPlanned.disarm();
                player.stop();
            } else {
                jumpMs[which].push_back(
                    std::chrono::duration<double, std::milli>(player.stops.last().time - jumped).count());
            }
            waitMs(200);
        }
    }

    const auto maxOf = [](const std::vector<double> &values) {
        return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    };
    std::printf("end-mark stop on %s, %d end marks, lead-in %.1f s\n", qPrintable(name), kMarks, kLeadIn);
    std::printf("%-16s %14s %14s %10s %12s %7s %18s %18s\n", "", "median over ms", "max over ms", "CPU %",
                "vs plain", "missed", "median vs rounded", "max vs rounded");
    const double plainCpu = totals[int(Mode::Plain)].cpu / totals[int(Mode::Plain)].wall;
    for (const Mode mode : kModes) {
        const Totals &t = totals[int(mode)];
        const double share = t.cpu / t.wall;
        if (mode == Mode::Plain) {
            std::printf("%-16s %14s %14s %10.2f %12.2f %7d %18s %18s\n", modeName(mode), "-", "-", share * 100, 1.0,
                        t.missed, "-", "-");
        } else {
            std::printf("%-16s %14.1f %14.1f %10.2f %12.2f %7d %18.1f %18.1f\n", modeName(mode), median(t.overshootMs),
                        maxOf(t.overshootMs), share * 100, share / plainCpu, t.missed, median(t.pastRoundedMs),
                        maxOf(t.pastRoundedMs));
        }
    }
    std::printf("seek-bar jump from %.1f s before the end mark to %.1f s past it, %d jumps each: jump to stop\n",
                kJumpFrom, kJumpPast, kMarks);
    std::printf("%-22s %10s %10s %7s\n", "", "median ms", "max ms", "missed");
    const Mode jumpModes[] = {Mode::Planned, Mode::MarkPlanned};
    for (int which = 0; which < 2; ++which) {
        std::printf("jump, %-16s %10.1f %10.1f %7d\n", modeName(jumpModes[which]), median(jumpMs[which]),
                    maxOf(jumpMs[which]), jumpMissed[which]);
    }
    return 0;
}
