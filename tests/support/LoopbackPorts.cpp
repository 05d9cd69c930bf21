#include "LoopbackPorts.h"

#include <QHostAddress>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QTcpServer>

namespace quorin::test {

namespace {

bool canListenOn(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, port);
}

} // namespace

quint16 freeLoopbackPort()
{
    static QMutex mutex;
    static QSet<quint16> handedOut;
    QMutexLocker lock(&mutex);
    // Above the usual ephemeral range start would clash with outgoing
    // connections; this band is rarely used by anything else.
    for (int attempt = 0; attempt < 500; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20000, 30000));
        if (!handedOut.contains(port) && canListenOn(port)) {
            handedOut.insert(port);
            return port;
        }
    }
    return 0;
}

} // namespace quorin::test
