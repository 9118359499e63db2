#pragma once

#include <QtGlobal>

#include <functional>

namespace tunora {

// The play position between the engine's readings. The engine reports the position only
// every 50 to 100 ms; in between, the position runs on with the wall clock from the last
// reading, but never past a pause, a pending seek, a stall of the engine or the end of the
// media, and never more than one report interval past the last reading (or the last time
// the engine started to advance).
class PositionClock {
public:
    // Monotonic time in nanoseconds.
    using Now = std::function<qint64()>;

    // How far the position may run ahead of the engine's last reading. The engine reports
    // every 50 ms, on a busy machine every 100 ms; a reading that is later than that means
    // the engine is not playing on, and a position guessed further would have to jump back.
    static constexpr double kMaxLeadSeconds = 0.1;

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
    // The engine says that it is not advancing (waiting for data, seeking, idle) or that it
    // advances again: the clock stands meanwhile, like in a pause the program did not ask for.
    void setStalled(bool stalled);
    // The media's length (of a song still arriving: as far as it has come); reads never pass
    // it. Zero or less means unknown.
    void setLimit(double seconds) { m_limit = seconds; }

    double position() const;

    static qint64 steadyNow();

private:
    bool advancing() const { return m_running && !m_stalled && !m_held; }
    // The clock runs on from `position`, as of now.
    void restart(double position);

    Now m_now;
    double m_base = 0;
    qint64 m_stamp = 0;
    double m_limit = 0;
    bool m_running = false;
    bool m_stalled = false;
    bool m_held = true;
};

} // namespace tunora
