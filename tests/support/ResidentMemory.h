#pragma once
// The resident memory and threads of a process, for tests and benchmarks
// that must show a relay does not grow under load.

#include "TestFiles.h"

namespace quorin::test {

// A number from /proc/<pid>/status (this process's when `pid` is 0), such as
// "VmRSS" (KiB) or "Threads"; -1 where that does not exist (any system but
// Linux).
inline qint64 ProcessStatus(const char* key, qint64 pid = 0)
{
    const QByteArray text = TestFiles::Read(QStringLiteral("/proc/%1/status").arg(pid ? QString::number(pid) : "self"));
    const QByteArray name = QByteArray(key) + ':';
    const qsizetype at = text.indexOf(name);
    return at < 0 ? -1
                  : text.mid(at + name.size(), text.indexOf('\n', at) - at - name.size()).trimmed().split(' ').first().toLongLong();
}

inline qint64 ResidentKiB()
{
    return ProcessStatus("VmRSS");
}

// False in a build with AddressSanitizer: its quarantine keeps freed memory
// resident, so growth says nothing there (LeakSanitizer judges leaks).
constexpr bool ResidentGrowthTellsLeaks()
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
