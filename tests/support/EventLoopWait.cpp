#include "EventLoopWait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace quorin::test {

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    // A real event loop, so queued work (a relay's images) runs the moment
    // it is posted; the condition is looked at every millisecond.
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    check.start();
    loop.exec();
    return done();
}

void waitFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

} // namespace quorin::test
