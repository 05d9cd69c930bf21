#include "LoopbackProxy.h"

#include <QHostAddress>
#include <algorithm>

namespace quorin::test {

LoopbackProxy::LoopbackProxy(quint16 targetPort, qint64 cutAfterClientBytes)
    : m_targetPort(targetPort)
    , m_cutAfter(cutAfterClientBytes)
{
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackProxy::accept);
    connect(&m_upstream, &QTcpSocket::connected, this, &LoopbackProxy::passClientBytes);
    connect(&m_upstream, &QTcpSocket::readyRead, this, &LoopbackProxy::passServerBytes);
}

bool LoopbackProxy::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

void LoopbackProxy::accept()
{
    QTcpSocket* client = m_server.nextPendingConnection();
    if (m_client) { // one connection only
        client->abort();
        client->deleteLater();
        return;
    }
    m_client = client;
    connect(client, &QTcpSocket::readyRead, this, &LoopbackProxy::passClientBytes);
    // The sender closing ends the exchange upstream too.
    connect(client, &QTcpSocket::disconnected, &m_upstream, &QTcpSocket::disconnectFromHost);
    m_upstream.connectToHost(QHostAddress::LocalHost, m_targetPort);
}

void LoopbackProxy::passClientBytes()
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
    if (m_passed >= m_cutAfter)
        cutBoth();
}

void LoopbackProxy::passServerBytes()
{
    if (m_client && !m_cut)
        m_client->write(m_upstream.readAll());
}

void LoopbackProxy::cutBoth()
{
    m_cut = true;
    m_upstream.waitForBytesWritten(1000);
    m_upstream.abort();
    if (m_client)
        m_client->abort();
}

} // namespace quorin::test
