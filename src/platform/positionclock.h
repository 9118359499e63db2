#pragma once

#include <QtGlobal>

#include <functional>

namespace tunora {

// The play position between the engine's readings. The engine reports the position only
// every 50 to 100 ms; in between, the position runs on with the wall clock from the last
// reading, but never past a pause, a pending seek or the end of the media.
class PositionClock {
public:
    // Monotonic time in nanoseconds.
    using Now = std::function<qint64()>;

    explicit PositionClock(Now now = steadyNow);

    // New media or no media: reads give `position`, held until release().
    void reset(double position);
    // A seek: reads give `target` and readings are ignored until the engine has arrived.
    void holdAt(double target);
    bool isHeld() const { return m_held; }
    double heldTarget() const { return m_base; }
    // The engine plays again from `position` (after a load or a seek).
    void release(double position);
    // A reading from the engine; ignored while a seek is pending.
    void report(double position);
    // Pause stops the clock where it stands; playing lets it run.
    void setRunning(bool running);
    // The media's length; reads never pass it. Zero or less means unknown.
    void setLimit(double seconds) { m_limit = seconds; }

    double position() const;

    static qint64 steadyNow();

private:
    double elapsedSeconds() const;

    Now m_now;
    double m_base = 0;
    qint64 m_stamp = 0;
    double m_limit = 0;
    bool m_running = false;
    bool m_held = true;
};

} // namespace tunora
