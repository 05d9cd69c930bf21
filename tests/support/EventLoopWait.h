#pragma once
// Waiting while a relay lives in the same process: it raises its images on
// this thread, so the wait runs a real event loop. QTest::qWaitFor sleeps
// 10 ms between its rounds of events, which would hold every image up to
// 10 ms and turn a benchmark of 400 images into one of the test's sleeps.

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace quorin::test {

// Whether `done` became true within `timeoutMs`; the condition is looked at
// every millisecond, and queued work runs the moment it is posted.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}

} // namespace quorin::test
