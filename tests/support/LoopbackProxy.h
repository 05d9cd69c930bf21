#pragma once
// A TCP pass-through on loopback for one client, run on this thread's event
// loop. It keeps every byte the client sent: a real sender's side of an
// exchange, captured on the wire to be replayed or mutated.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quorin::test {

class LoopbackProxy : public QObject {
public:
    explicit LoopbackProxy(quint16 targetPort)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this, targetPort] {
            m_client = m_server.nextPendingConnection(); // one connection only
            connect(m_client, &QTcpSocket::readyRead, this, &LoopbackProxy::passClientBytes);
            // The sender closing ends the exchange upstream too.
            connect(m_client, &QTcpSocket::disconnected, &m_upstream, &QTcpSocket::disconnectFromHost);
            m_upstream.connectToHost(QHostAddress::LocalHost, targetPort);
        });
        connect(&m_upstream, &QTcpSocket::connected, this, &LoopbackProxy::passClientBytes);
        connect(&m_upstream, &QTcpSocket::readyRead, this, [this] {
            if (m_client)
                m_client->write(m_upstream.readAll());
        });
    }

    // Listens on a free loopback port; false when it cannot.
    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }
    // What the client sent.
    const QByteArray& clientBytes() const { return m_clientBytes; }

private:
    void passClientBytes()
    {
        if (!m_client)
            return;
        m_clientBytes += m_client->readAll();
        // Bytes that came before the upstream connected wait for it.
        if (m_upstream.state() != QAbstractSocket::ConnectedState)
            return;
        m_upstream.write(m_clientBytes.mid(m_passed));
        m_passed = m_clientBytes.size();
    }

    QTcpServer m_server; // the client sockets are its children
    QPointer<QTcpSocket> m_client;
    QTcpSocket m_upstream;
    QByteArray m_clientBytes;
    qint64 m_passed = 0; // of m_clientBytes, sent upstream
};

} // namespace quorin::test
