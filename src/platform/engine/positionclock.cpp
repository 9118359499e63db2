#include "positionclock.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace tunora {

PositionClock::PositionClock(Now now)
    : m_now(std::move(now)), m_stamp(m_now())
{
}

qint64 PositionClock::steadyNow()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
}

void PositionClock::restart(double position)
{
    m_base = position;
    m_stamp = m_now();
}

void PositionClock::reset(double position)
{
    restart(position);
    m_held = true;
}

void PositionClock::holdAt(double target)
{
    restart(target);
    m_held = true;
}

void PositionClock::release(double position)
{
    restart(position);
    m_held = false;
}

void PositionClock::report(double position)
{
    if (m_held)
        return;
    restart(position);
}

void PositionClock::setRunning(bool running)
{
    if (running == m_running)
        return;
    restart(position());
    m_running = running;
}

void PositionClock::setStalled(bool stalled)
{
    if (stalled == m_stalled)
        return;
    restart(position());
    m_stalled = stalled;
}

double PositionClock::position() const
{
    double position = m_base;
    if (advancing()) {
        const double elapsed = double(std::max<qint64>(0, m_now() - m_stamp)) / 1e9;
        position += std::min(elapsed, kMaxLeadSeconds);
    }
    if (m_limit > 0)
        position = std::min(position, m_limit);
    return std::max(0.0, position);
}

} // namespace tunora
