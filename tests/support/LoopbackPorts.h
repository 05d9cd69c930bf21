#pragma once
#include <QHostAddress>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QTcpServer>

namespace quorin::test {

// Whether a program could listen on `port` (all interfaces) right now.
inline bool portIsFree(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, port);
}

// A TCP port nothing listens on right now and not handed out before in this
// process, so parallel peers never collide; 0 when none was found. Below
// the ephemeral range, where outgoing connections take their ports.
inline quint16 freeLoopbackPort()
{
    static QMutex mutex;
    static QSet<quint16> handedOut;
    QMutexLocker lock(&mutex);
    for (int attempt = 0; attempt < 500; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20000, 30000));
        if (!handedOut.contains(port) && portIsFree(port)) {
            handedOut.insert(port);
            return port;
        }
    }
    return 0;
}

} // namespace quorin::test
