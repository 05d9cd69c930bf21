#include "ChildDescriptors.h"

#include <QProcess>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quorin::test {

void keepDescriptorsFromChild([[maybe_unused]] QProcess& process)
{
#ifdef Q_OS_UNIX
    // Asked here: between fork and exec only async-signal-safe calls are allowed.
    const int limit = int(sysconf(_SC_OPEN_MAX));
    process.setChildProcessModifier([limit] {
#if defined(__linux__) && defined(CLOSE_RANGE_CLOEXEC)
        if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
            return;
#endif
        for (int fd = 3; fd < limit; ++fd) {
            const int flags = fcntl(fd, F_GETFD);
            if (flags >= 0)
                fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
    });
#endif
}

} // namespace quorin::test
