#pragma once
// The resident memory of this process, for tests and benchmarks that must
// show a relay does not grow under load.

#include <QtGlobal>

namespace quorin::test {

// VmRSS in KiB, read from /proc/self/status; -1 where that does not exist
// (any system but Linux).
qint64 residentKiB();

} // namespace quorin::test
