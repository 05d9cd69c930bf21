#pragma once
// The resident memory of this process, for tests and benchmarks that must
// show a relay does not grow under load.

#include <QtGlobal>

namespace quorin::test {

// VmRSS in KiB, read from /proc/self/status; -1 where that does not exist
// (any system but Linux).
qint64 residentKiB();

// False in a build with AddressSanitizer: its quarantine keeps freed memory
// resident, so growth says nothing there (LeakSanitizer judges leaks).
constexpr bool residentGrowthTellsLeaks()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}

} // namespace quorin::test
