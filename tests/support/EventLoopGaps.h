#pragma once
// Measures how responsive this thread's event loop stays: a timer fires at
// a fixed interval and the largest time between two of its firings is kept.
// On the GUI thread, a gap much larger than the interval means the window
// froze for that long.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace quorin::test {

class EventLoopGaps : public QObject {
public:
    explicit EventLoopGaps(int intervalMs = 50);

    // Starts measuring afresh; the gaps count only while the event loop runs.
    void start();
    void stop();
    // The largest time between two firings (or from start() to the first)
    // so far, in ms.
    qint64 largestGapMs() const { return m_largestMs; }

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_sinceLastTick;
    qint64 m_largestMs = 0;
};

} // namespace quorin::test
