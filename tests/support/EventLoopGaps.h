#pragma once
// How responsive this thread's event loop stays: a timer fires at a fixed
// interval and the largest time between two firings is kept. On the GUI
// thread, a gap much larger than the interval means the window froze.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace quorin::test {

class EventLoopGaps {
public:
    explicit EventLoopGaps(int intervalMs = 50)
    {
        // Precise: a coarse timer may fire up to 5% late by design.
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }

    // Starts measuring afresh; the gaps count only while the event loop runs.
    void start()
    {
        m_largestMs = 0;
        m_sinceLastTick.start();
        m_timer.start();
    }
    // A stall just before stop() counts too.
    void stop()
    {
        tick();
        m_timer.stop();
    }
    // The largest time between two firings (or from start() to the first), in ms.
    qint64 largestGapMs() const { return m_largestMs; }

private:
    void tick()
    {
        if (m_sinceLastTick.isValid())
            m_largestMs = std::max(m_largestMs, m_sinceLastTick.restart());
    }

    QTimer m_timer;
    QElapsedTimer m_sinceLastTick;
    qint64 m_largestMs = 0;
};

} // namespace quorin::test
