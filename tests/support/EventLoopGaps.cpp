#include "EventLoopGaps.h"

#include <algorithm>

namespace quorin::test {

EventLoopGaps::EventLoopGaps(int intervalMs)
{
    // Precise: the default coarse timer may fire up to 5% late by design,
    // which is not a stall of the loop.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &EventLoopGaps::tick);
}

void EventLoopGaps::start()
{
    m_largestMs = 0;
    m_sinceLastTick.start();
    m_timer.start();
}

void EventLoopGaps::stop()
{
    tick(); // a stall just before stop() counts too
    m_timer.stop();
    m_sinceLastTick.invalidate();
}

void EventLoopGaps::tick()
{
    if (!m_sinceLastTick.isValid())
        return;
    m_largestMs = std::max(m_largestMs, m_sinceLastTick.restart());
}

} // namespace quorin::test
