// Start-up time of the real program: from launching the executable to its window being
// mapped on the X display and to its first frame drawn, with an empty settings file and
// with a folder of 10,000 songs and auto-play, against a minimal Qt window (and the same
// window with one label) measured in the same run; and with auto-play, from launch to the
// first sound. Runs its own Xvfb and session bus.
//
//   tunora_startup_bench [runs] [program...]     programs: other builds of tunora to measure,
//                                                 each in every round, so builds compare
//                                                 within one run
//
// Everything is seen from outside: this program listens on the display for a top-level
// window being mapped whose _NET_WM_PID is the launched process, and the launched programs
// get an ALSA default device that writes their sound into a file (with no sound server to
// find), whose first bytes are the first sound. Nothing inside the measured programs changes.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSongs = 10'000;
constexpr int kTimeoutMs = 30'000;

pid_t spawn(const std::vector<std::string> &args, const std::vector<std::string> &extraEnv, bool quiet)
{
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char **e = environ; *e; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const std::string &x : extraEnv)
            replaced |= entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
        if (!replaced)
            envStore.push_back(entry);
    }
    envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char *> envp;
    for (std::string &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stopProcess(pid_t pid)
{
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        ::usleep(10'000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// An Xvfb of our own on the first free display number.
struct Xvfb {
    pid_t pid = -1;
    int display = -1;
    ~Xvfb()
    {
        if (pid > 0)
            stopProcess(pid);
    }
    bool start()
    {
        for (int n = 90; n < 200; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
                || QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            pid = spawn({"Xvfb", ":" + std::to_string(n), "-br", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, true);
            display = n;
            return pid > 0;
        }
        return false;
    }
    std::string name() const { return ":" + std::to_string(display); }
};

// A session bus of our own, as every desktop session has one: without it Qt's accessibility
// bridge would start a bus through dbus-launch in every measured program.
struct SessionBus {
    pid_t pid = -1;
    std::string address;
    ~SessionBus()
    {
        if (pid > 0)
            stopProcess(pid);
    }
    bool start(const QString &socket)
    {
        address = "unix:path=" + QFile::encodeName(socket).toStdString();
        pid = spawn({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address}, {}, true);
        for (int i = 0; pid > 0 && i < 500; ++i) {
            if (QFileInfo::exists(socket))
                return true;
            ::usleep(10'000);
        }
        return false;
    }
};

class Display {
public:
    ~Display()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    bool connect(const std::string &name)
    {
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < until) {
            m_connection = xcb_connect(name.c_str(), nullptr);
            if (!xcb_connection_has_error(m_connection))
                break;
            xcb_disconnect(m_connection);
            m_connection = nullptr;
            ::usleep(20'000);
        }
        if (!m_connection)
            return false;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        const char atom[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof atom - 1, atom), nullptr);
        if (!reply)
            return false;
        m_pidAtom = reply->atom;
        free(reply);
        xcb_flush(m_connection);
        return true;
    }

    struct Mapped {
        xcb_window_t window;
        Clock::time_point at;
    };

    // The top-level window of `pid` and when it was mapped, if that has happened by now.
    std::optional<Mapped> mappedWindowOf(pid_t pid)
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            const auto mappedAt = Clock::now();
            std::optional<Mapped> ours;
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (!map->override_redirect && pidOf(map->window) == pid)
                    ours = Mapped{map->window, mappedAt};
            }
            free(event);
            if (ours)
                return ours;
        }
        return std::nullopt;
    }

    // Whether the program has drawn into `window`. Qt's windows have no background of their
    // own, so until the first frame the screen shows the black root through them; a frame
    // is one image, so one row across the middle tells.
    bool painted(xcb_window_t window)
    {
        xcb_get_geometry_reply_t *geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (!geometry)
            return false;
        const uint16_t width = geometry->width;
        const int16_t middle = int16_t(geometry->height / 2);
        free(geometry);
        xcb_get_image_reply_t *image = xcb_get_image_reply(
            m_connection, xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, middle, width, 1, ~0u),
            nullptr);
        if (!image)
            return false;
        const uint8_t *pixels = xcb_get_image_data(image);
        const bool drawn = std::any_of(pixels, pixels + xcb_get_image_data_length(image), [](uint8_t b) { return b != 0; });
        free(image);
        return drawn;
    }

    bool broken() const { return xcb_connection_has_error(m_connection) != 0; }
    int fd() const { return xcb_get_file_descriptor(m_connection); }

    void drain()
    {
        xcb_flush(m_connection);
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            free(event);
    }

private:
    pid_t pidOf(xcb_window_t window)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = -1;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = pid_t(*static_cast<const uint32_t *>(xcb_get_property_value(reply)));
        free(reply);
        return pid;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = 0;
};

struct Subject {
    std::string name;
    std::vector<std::string> command;
    QString settingsFile;   // rewritten before every launch; empty: none
    QByteArray settings;
    bool sound = false;     // also measure launch to the first sound
    std::vector<double> ms;
    std::vector<double> frameMs;
    std::vector<double> soundMs;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Copies the program and the modules it loads from beside itself, if it has any, into `dir`.
bool copyProgram(const QString &program, const QString &dir)
{
    if (!QFile::copy(program, dir + QStringLiteral("/tunora")))
        return false;
    const QDir programDir = QFileInfo(program).absoluteDir();
    for (const QString &module : programDir.entryList({QStringLiteral("tunora-*.so")}, QDir::Files)) {
        if (!QFile::copy(programDir.filePath(module), dir + QLatin1Char('/') + module))
            return false;
    }
    return true;
}

double sinceLaunch(Clock::time_point at, Clock::time_point launched)
{
    return std::chrono::duration<double, std::milli>(at - launched).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QStringList programs;
    for (int i = 2; i < argc; ++i)
        programs.append(QFile::decodeName(argv[i]));
    if (programs.isEmpty())
        programs.append(QStringLiteral(TUNORA_BINARY));

    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    const QString folder = root.filePath(QStringLiteral("songs")) + QLatin1Char('/');
    const QString home = root.filePath(QStringLiteral("home"));
    for (const QString &dir : {folder, home})
        QDir().mkpath(dir);
    // Every song is the same short tone, linked, so that whichever auto-play picks plays.
    const QByteArray tone = QFile::encodeName(root.filePath(QStringLiteral("tone.mp3")));
    if (!QFile::copy(QStringLiteral(TUNORA_TONE_SONG), QFile::decodeName(tone)))
        return 1;
    for (int i = 0; i < kSongs; ++i) {
        const QByteArray path = QFile::encodeName(folder) + "song " + QByteArray::number(i) + ".mp3";
        if (::link(tone.constData(), path.constData()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", path.constData());
            return 1;
        }
    }
    const QByteArray soundFile = QFile::encodeName(root.filePath(QStringLiteral("sound.raw")));
    if (!writeFile(home + QStringLiteral("/.asoundrc"),
                   "pcm.!default { type file; slave.pcm \"null\"; format \"raw\"; file \"" + soundFile + "\" }\n"))
        return 1;
    // [歌曲目录] 路径=<folder> [音乐格式] 格式=mp3 [自动播放] 参数=自动, in GBK (the folder is ASCII).
    const QByteArray songSettings = "[\xb8\xe8\xc7\xfa\xc4\xbf\xc2\xbc]\r\n\xc2\xb7\xbe\xb6=" + QFile::encodeName(folder)
        + "\r\n[\xd2\xf4\xc0\xd6\xb8\xf1\xca\xbd]\r\n\xb8\xf1\xca\xbd=mp3\r\n"
        // [自动播放] 参数=自动
        + "[\xd7\xd4\xb6\xaf\xb2\xa5\xb7\xc5]\r\n\xb2\xce\xca\xfd=\xd7\xd4\xb6\xaf\r\n";
    const QString settingsName = QStringLiteral(u"/初始化配置.ini");

    std::vector<Subject> subjects = {
        {"minimal Qt window", {MINIMAL_WINDOW_BINARY}, {}, {}, false, {}, {}, {}},
        {"Qt window with one label", {MINIMAL_WINDOW_BINARY, "--label"}, {}, {}, false, {}, {}, {}},
    };
    // The settings file sits next to the executable: each case runs its own copy.
    for (qsizetype k = 0; k < programs.size(); ++k) {
        const std::string name = programs.size() == 1 ? "tunora" : "tunora " + std::to_string(k + 1);
        const QString emptyDir = root.filePath(QStringLiteral("empty-%1").arg(k));
        const QString songsDir = root.filePath(QStringLiteral("songs-program-%1").arg(k));
        for (const QString &dir : {emptyDir, songsDir}) {
            if (!QDir().mkpath(dir) || !copyProgram(programs[k], dir)) {
                std::fprintf(stderr, "cannot copy %s\n", qPrintable(programs[k]));
                return 1;
            }
        }
        subjects.push_back({name + ", empty settings file", {QFile::encodeName(emptyDir).toStdString() + "/tunora"},
                            emptyDir + settingsName, QByteArray(), false, {}, {}, {}});
        subjects.push_back({name + ", 10,000 songs, auto-play", {QFile::encodeName(songsDir).toStdString() + "/tunora"},
                            songsDir + settingsName, songSettings, true, {}, {}, {}});
    }

    SessionBus bus;
    if (!bus.start(root.filePath(QStringLiteral("bus")))) {
        std::fprintf(stderr, "cannot start dbus-daemon\n");
        return 1;
    }
    Xvfb xvfb;
    if (!xvfb.start()) {
        std::fprintf(stderr, "cannot start Xvfb\n");
        return 1;
    }
    Display display;
    if (!display.connect(xvfb.name())) {
        std::fprintf(stderr, "cannot connect to Xvfb on %s\n", xvfb.name().c_str());
        return 1;
    }
    const std::vector<std::string> env = {
        "DISPLAY=" + xvfb.name(), "QT_QPA_PLATFORM=xcb",
        "XDG_CONFIG_HOME=" + QFile::encodeName(root.filePath(QStringLiteral("config"))).toStdString(),
        "HOME=" + QFile::encodeName(home).toStdString(),
        "PULSE_SERVER=unix:" + QFile::encodeName(root.filePath(QStringLiteral("no-sound-server"))).toStdString(),
        "DBUS_SESSION_BUS_ADDRESS=" + bus.address};

    // One unmeasured round first: the page cache then holds every library for everyone.
    for (int round = -1; round < runs; ++round) {
        for (Subject &s : subjects) {
            if (!s.settingsFile.isEmpty() && !writeFile(s.settingsFile, s.settings))
                return 1;
            display.drain();
            ::unlink(soundFile.constData());
            const auto launched = Clock::now();
            const pid_t pid = spawn(s.command, env, true);
            if (pid <= 0) {
                std::fprintf(stderr, "cannot start %s\n", s.command.front().c_str());
                return 1;
            }
            std::optional<Display::Mapped> mapped;
            std::optional<Clock::time_point> framed;
            std::optional<Clock::time_point> sounded;
            pollfd fd{display.fd(), POLLIN, 0};
            while ((!framed || (s.sound && !sounded)) && sinceLaunch(Clock::now(), launched) < kTimeoutMs
                   && !display.broken()) {
                if (!mapped)
                    mapped = display.mappedWindowOf(pid);
                if (mapped && !framed && display.painted(mapped->window))
                    framed = Clock::now();
                struct stat sound {};
                if (s.sound && !sounded && ::stat(soundFile.constData(), &sound) == 0 && sound.st_size > 0)
                    sounded = Clock::now();
                ::poll(&fd, 1, 1);
            }
            stopProcess(pid);
            if (!framed || (s.sound && !sounded)) {
                std::fprintf(stderr, "%s: no %s within %d ms\n", s.name.c_str(),
                             !mapped ? "window" : !framed ? "first frame" : "sound", kTimeoutMs);
                return 1;
            }
            if (round >= 0) {
                s.ms.push_back(sinceLaunch(mapped->at, launched));
                s.frameMs.push_back(sinceLaunch(*framed, launched));
                if (s.sound)
                    s.soundMs.push_back(sinceLaunch(*sounded, launched));
            }
        }
    }

    const double base = median(subjects[0].ms);
    std::printf("start-up: launch to window mapped, %d runs each (Xvfb %s)\n", runs, xvfb.name().c_str());
    for (qsizetype k = 0; k < programs.size(); ++k)
        std::printf("tunora%s: %s\n", programs.size() == 1 ? "" : (" " + std::to_string(k + 1)).c_str(),
                    qPrintable(programs[k]));
    std::printf("%-50s %10s %10s %10s %8s\n", "program", "median ms", "min ms", "max ms", "ratio");
    auto row = [](const std::string &name, const std::vector<double> &ms, double against) {
        const auto [lo, hi] = std::minmax_element(ms.begin(), ms.end());
        std::printf("%-50s %10.1f %10.1f %10.1f %8.2f\n", name.c_str(), median(ms), *lo, *hi, median(ms) / against);
    };
    for (const Subject &s : subjects)
        row(s.name, s.ms, base);
    // The window's content drawn, which is what a person sees, against the minimal window's.
    for (const Subject &s : subjects)
        row("first frame, " + s.name, s.frameMs, median(subjects[0].frameMs));
    for (const Subject &s : subjects) {
        if (s.sound)
            row("first sound, " + s.name, s.soundMs, base);
    }
    for (const Subject &s : subjects) {
        if (s.command.front() == MINIMAL_WINDOW_BINARY)
            continue;
        const double ratio = median(s.ms) / base;
        std::printf("target: %s at most 1.5x the minimal window: %s (%.2fx)\n", s.name.c_str(),
                    ratio <= 1.5 ? "met" : "MISSED", ratio);
    }
    return 0;
}
