#pragma once
// A TCP pass-through on loopback for one client, run on this thread's event
// loop. It keeps every byte the client sent (a real sender's side of an
// exchange, captured on the wire to be replayed or mutated), and it can cut
// the connection, closing both sides, once a set number of client bytes
// passed: a sender that vanishes in the middle of an association or an
// image, with no DICOM code in the test.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <limits>

namespace quorin::test {

class LoopbackProxy : public QObject {
public:
    static constexpr qint64 kNeverCut = std::numeric_limits<qint64>::max();

    explicit LoopbackProxy(quint16 targetPort, qint64 cutAfterClientBytes = kNeverCut)
        : m_cutAfter(cutAfterClientBytes)
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
            if (m_client && !m_cut)
                m_client->write(m_upstream.readAll());
        });
    }

    // Listens on a free loopback port; false when it cannot.
    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }
    // What the client sent until the end or the cut.
    const QByteArray& clientBytes() const { return m_clientBytes; }
    bool hasCut() const { return m_cut; }

private:
    void passClientBytes()
    {
        if (!m_client || m_cut)
            return;
        m_clientBytes += m_client->readAll();
        // Bytes that came before the upstream connected wait for it.
        if (m_upstream.state() != QAbstractSocket::ConnectedState)
            return;
        const qint64 passable = std::min<qint64>(m_clientBytes.size(), m_cutAfter);
        m_upstream.write(m_clientBytes.mid(m_passed, passable - m_passed));
        m_passed = passable;
        if (m_passed < m_cutAfter)
            return;
        m_cut = true;
        m_upstream.waitForBytesWritten(1000);
        m_upstream.abort();
        m_client->abort();
    }

    const qint64 m_cutAfter;
    QTcpServer m_server; // the client sockets are its children
    QPointer<QTcpSocket> m_client;
    QTcpSocket m_upstream;
    QByteArray m_clientBytes;
    qint64 m_passed = 0; // of m_clientBytes, sent upstream
    bool m_cut = false;
};

} // namespace quorin::test
