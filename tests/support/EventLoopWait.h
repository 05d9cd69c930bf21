#pragma once
// Waiting in tests keeps this thread's event loop running: a relay living in
// the test process raises its images on this thread.

#include <QTest>
#include <functional>

namespace quorin::test {

// Whether `done` became true within `timeoutMs`.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

inline void waitFor(int ms)
{
    QTest::qWait(ms);
}

} // namespace quorin::test
