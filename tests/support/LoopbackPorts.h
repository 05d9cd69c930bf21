#pragma once
#include <QDir>
#include <QHostAddress>
#include <QLockFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QTcpServer>
#include <list>

namespace quorin::test {

// Whether a program could listen on `port` (all interfaces) right now.
inline bool PortIsFree(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, port);
}

// A TCP port nothing listens on right now and not handed out before to any
// test process still running on the machine (CTest runs programs side by
// side): each is claimed by a lock file in the temporary folder, held until
// the process ends, stale only once its process is gone. 0 when none was
// found. Below the ephemeral range, where outgoing connections take their ports.
inline quint16 FreeLoopbackPort()
{
    static QMutex mutex;
    static std::list<QLockFile> claims;
    QMutexLocker lock(&mutex);
    for (int attempt = 0; attempt < 500; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20000, 30000));
        QLockFile& claim = claims.emplace_back(QDir::temp().filePath(QStringLiteral("quorin-port-%1.lock").arg(port)));
        claim.setStaleLockTime(0);
        if (claim.tryLock(0) && PortIsFree(port))
            return port;
        claims.pop_back();
    }
    return 0;
}

} // namespace quorin::test
