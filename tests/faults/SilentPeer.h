#pragma once
// An archive that accepts the connection, reads whatever comes and never
// answers: the A-ASSOCIATE-RQ of a relay waits for an answer that does not
// come. Loopback only; runs on this thread's event loop.

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quorin::test {

class SilentPeer : public QObject {
public:
    SilentPeer();

    // Listens on a free loopback port; false when it cannot.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // Connections accepted so far, and bytes read from them.
    int connections() const { return m_connections.size(); }
    qint64 bytesRead() const { return m_bytesRead; }

private:
    void accept();

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_connections;
    qint64 m_bytesRead = 0;
};

} // namespace quorin::test
