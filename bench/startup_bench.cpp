// Start-up time of the real program: from launching the executable to its window being
// mapped on the X display, with an empty settings file and with a folder of 10,000 songs,
// against a minimal Qt window measured in the same run. Runs its own Xvfb.
//
// The window is seen from outside: this program listens on the display for a top-level
// window being mapped whose _NET_WM_PID is the launched process. Nothing inside the
// measured programs changes.
#include <QByteArray>
#include <QDir>
#include <QFile>
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
            pid = spawn({"Xvfb", ":" + std::to_string(n), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, true);
            display = n;
            return pid > 0;
        }
        return false;
    }
    std::string name() const { return ":" + std::to_string(display); }
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

    // Milliseconds from now until a top-level window of `pid` is mapped; nothing on timeout.
    std::optional<double> waitForWindowOf(pid_t pid, Clock::time_point launched)
    {
        pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (std::chrono::duration<double, std::milli>(Clock::now() - launched).count() < kTimeoutMs) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const auto mappedAt = Clock::now();
                bool ours = false;
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                    ours = !map->override_redirect && pidOf(map->window) == pid;
                }
                free(event);
                if (ours)
                    return std::chrono::duration<double, std::milli>(mappedAt - launched).count();
            }
            if (xcb_connection_has_error(m_connection))
                return std::nullopt;
            ::poll(&fd, 1, 50);
        }
        return std::nullopt;
    }

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
    const char *name;
    std::string executable;
    QString settingsFile;   // rewritten before every launch; empty: none
    QByteArray settings;
    std::vector<double> ms;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
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

    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    // The settings file sits next to the executable: each case runs its own copy.
    const QString emptyDir = root.filePath(QStringLiteral("empty"));
    const QString songsDir = root.filePath(QStringLiteral("songs-program"));
    const QString folder = root.filePath(QStringLiteral("songs")) + QLatin1Char('/');
    for (const QString &dir : {emptyDir, songsDir, folder})
        QDir().mkpath(dir);
    for (const QString &dir : {emptyDir, songsDir}) {
        if (!QFile::copy(QStringLiteral(TUNORA_BINARY), dir + QStringLiteral("/tunora"))) {
            std::fprintf(stderr, "cannot copy %s\n", TUNORA_BINARY);
            return 1;
        }
    }
    for (int i = 0; i < kSongs; ++i) {
        const QByteArray path = QFile::encodeName(folder) + "song " + QByteArray::number(i) + ".mp3";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return 1;
        ::close(fd);
    }
    // [歌曲目录] 路径=<folder> [音乐格式] 格式=mp3, in GBK (the folder is ASCII).
    const QByteArray songSettings = "[\xb8\xe8\xc7\xfa\xc4\xbf\xc2\xbc]\r\n\xc2\xb7\xbe\xb6=" + QFile::encodeName(folder)
        + "\r\n[\xd2\xf4\xc0\xd6\xb8\xf1\xca\xbd]\r\n\xb8\xf1\xca\xbd=mp3\r\n";
    const QString settingsName = QStringLiteral(u"/初始化配置.ini");

    std::vector<Subject> subjects = {
        {"minimal Qt window", MINIMAL_WINDOW_BINARY, {}, {}, {}},
        {"tunora, empty settings file", QFile::encodeName(emptyDir).toStdString() + "/tunora", emptyDir + settingsName,
         QByteArray(), {}},
        {"tunora, 10,000-song folder", QFile::encodeName(songsDir).toStdString() + "/tunora", songsDir + settingsName,
         songSettings, {}},
    };

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
    const std::vector<std::string> env = {"DISPLAY=" + xvfb.name(), "QT_QPA_PLATFORM=xcb",
                                          "XDG_CONFIG_HOME=" + QFile::encodeName(root.filePath(QStringLiteral("config"))).toStdString()};

    // One unmeasured round first: the page cache then holds every library for everyone.
    for (int round = -1; round < runs; ++round) {
        for (Subject &s : subjects) {
            if (!s.settingsFile.isEmpty() && !writeFile(s.settingsFile, s.settings))
                return 1;
            display.drain();
            const auto launched = Clock::now();
            const pid_t pid = spawn({s.executable}, env, true);
            if (pid <= 0) {
                std::fprintf(stderr, "cannot start %s\n", s.executable.c_str());
                return 1;
            }
            const std::optional<double> ms = display.waitForWindowOf(pid, launched);
            stopProcess(pid);
            if (!ms) {
                std::fprintf(stderr, "%s: no window within %d ms\n", s.name, kTimeoutMs);
                return 1;
            }
            if (round >= 0)
                s.ms.push_back(*ms);
        }
    }

    const double base = median(subjects[0].ms);
    std::printf("start-up: launch to window mapped, %d runs each (Xvfb %s)\n", runs, xvfb.name().c_str());
    std::printf("%-30s %10s %10s %10s %8s\n", "program", "median ms", "min ms", "max ms", "ratio");
    for (const Subject &s : subjects) {
        const auto [lo, hi] = std::minmax_element(s.ms.begin(), s.ms.end());
        std::printf("%-30s %10.1f %10.1f %10.1f %8.2f\n", s.name, median(s.ms), *lo, *hi, median(s.ms) / base);
    }
    const double ratio = median(subjects[1].ms) / base;
    std::printf("target: empty settings file at most 1.5x the minimal window: %s (%.2fx)\n",
                ratio <= 1.5 ? "met" : "MISSED", ratio);
    return 0;
}
