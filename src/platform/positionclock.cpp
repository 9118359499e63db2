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

void PositionClock::reset(double position)
{
    m_base = position;
    m_stamp = m_now();
    m_held = true;
}

void PositionClock::holdAt(double target)
{
    m_base = target;
    m_stamp = m_now();
    m_held = true;
}

void PositionClock::release(double position)
{
    m_base = position;
    m_stamp = m_now();
    m_held = false;
}

void PositionClock::report(double position)
{
    if (m_held)
        return;
    m_base = position;
    m_stamp = m_now();
}

void PositionClock::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_base = position();
    m_stamp = m_now();
    m_running = running;
}

double PositionClock::elapsedSeconds() const
{
    if (!m_running || m_held)
        return 0;
    return double(std::max<qint64>(0, m_now() - m_stamp)) / 1e9;
}

double PositionClock::position() const
{
    double position = m_base + elapsedSeconds();
    if (m_limit > 0)
        position = std::min(position, m_limit);
    return std::max(0.0, position);
}

} // namespace tunora
