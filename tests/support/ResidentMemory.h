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
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("VmRSS:");
    return at < 0 ? -1 : text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().split(' ').first().toLongLong();
}

// False in a build with AddressSanitizer: its quarantine keeps freed memory
// resident, so growth says nothing there (LeakSanitizer judges leaks).
constexpr bool residentGrowthTellsLeaks()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
    // Clang's way of telling; a nested #if, as GCC cannot parse the call.
#if __has_feature(address_sanitizer)
    return false;
#endif
#endif
    return true;
}

} // namespace quorin::test
