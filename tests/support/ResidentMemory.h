#pragma once
// The resident memory of this process, for tests and benchmarks that must
// show a relay does not grow under load.

#include <QFile>

namespace quorin::test {

// VmRSS in KiB, read from /proc/self/status; -1 where that does not exist
// (any system but Linux).
inline qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

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
