#include "app/startup/displayprobe.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace tunora;

namespace {

// Sets the variables for one case and puts the old values back afterwards.
class Environment {
public:
    void set(const char *name, std::optional<QByteArray> value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        apply(name, value);
    }
    ~Environment()
    {
        for (qsizetype i = m_saved.size() - 1; i >= 0; --i)
            apply(m_saved.at(i).first, m_saved.at(i).second);
    }

private:
    static void apply(const char *name, const std::optional<QByteArray> &value)
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    QList<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

} // namespace

// Which platform Qt starts decides whether the X display is checked at all; the answer is
// about the display that Qt would open. "bogus" is no display name, so no server is needed.
TEST(DisplayProbe, ChecksTheDisplayThatQtWouldOpen)
{
    struct Case {
        const char *what;
        std::optional<QByteArray> platform;
        std::optional<QByteArray> display;
        std::optional<QByteArray> sessionType;
        std::vector<const char *> arguments;
        const char *problemNames; // nullptr: no problem reported
    };
    const Case cases[] = {
        {"no display, default platform", std::nullopt, std::nullopt, std::nullopt, {}, "DISPLAY"},
        {"no display, xcb asked for", "xcb", std::nullopt, std::nullopt, {}, "DISPLAY"},
        {"unusable display", std::nullopt, "bogus", std::nullopt, {}, "bogus"},
        {"xcb with plugin options", "xcb:nograb", "bogus", std::nullopt, {}, "bogus"},
        {"-display wins over DISPLAY", std::nullopt, ":0", std::nullopt, {"-display", "bogus"}, "bogus"},
        {"another platform reports its own failure", "offscreen", std::nullopt, std::nullopt, {}, nullptr},
        {"a fallback platform after xcb", "xcb;offscreen", "bogus", std::nullopt, {}, nullptr},
        {"-platform wins over QT_QPA_PLATFORM", "xcb", "bogus", std::nullopt, {"-platform", "offscreen"}, nullptr},
        {"Wayland session", std::nullopt, std::nullopt, "wayland", {}, nullptr},
        {"X11 session", std::nullopt, "bogus", "x11", {}, "bogus"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Environment environment;
        environment.set("QT_QPA_PLATFORM", c.platform);
        environment.set("DISPLAY", c.display);
        environment.set("XDG_SESSION_TYPE", c.sessionType);
        environment.set("WAYLAND_DISPLAY", QByteArray("wayland-0"));
        std::vector<const char *> argv = {"tunora"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const QString problem = displayProblem(int(argv.size()), argv.data());
        if (c.problemNames)
            EXPECT_TRUE(problem.contains(QLatin1String(c.problemNames))) << problem.toStdString();
        else
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    }
}
