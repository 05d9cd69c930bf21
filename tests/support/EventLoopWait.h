#pragma once
// Waiting in tests without blocking the thread's event loop: a relay living
// in the test process raises its images on this thread, so a test that
// blocked here would stall its own relay.

#include <functional>

namespace quorin::test {

// Runs the event loop until `done` is true or `timeoutMs` passed; returns
// whether `done` became true.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// Runs the event loop for `ms` milliseconds.
void waitFor(int ms);

} // namespace quorin::test
