#include "CuttingProxy.h"

#include <QHostAddress>

namespace quorin::test {

CuttingProxy::CuttingProxy(quint16 targetPort, qint64 cutAfterClientBytes)
    : m_targetPort(targetPort)
    , m_cutAfter(cutAfterClientBytes)
{
    connect(&m_server, &QTcpServer::newConnection, this, &CuttingProxy::accept);
    connect(&m_upstream, &QTcpSocket::connected, this, &CuttingProxy::passClientBytes);
    connect(&m_upstream, &QTcpSocket::readyRead, this, &CuttingProxy::passServerBytes);
}

bool CuttingProxy::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

void CuttingProxy::accept()
{
    QTcpSocket* client = m_server.nextPendingConnection();
    if (m_client) { // one connection only
        client->abort();
        client->deleteLater();
        return;
    }
    m_client = client;
    connect(client, &QTcpSocket::readyRead, this, &CuttingProxy::passClientBytes);
    m_upstream.connectToHost(QHostAddress::LocalHost, m_targetPort);
}

void CuttingProxy::passClientBytes()
{
    if (!m_client || m_cut)
        return;
    m_pending += m_client->readAll();
    if (m_upstream.state() != QAbstractSocket::ConnectedState)
        return;
    const qint64 allowed = std::min<qint64>(m_pending.size(), m_cutAfter - m_passed);
    m_upstream.write(m_pending.left(allowed));
    m_upstream.flush();
    m_passed += allowed;
    m_pending.remove(0, allowed);
    if (m_passed >= m_cutAfter)
        cutBoth();
}

void CuttingProxy::passServerBytes()
{
    if (m_client && !m_cut)
        m_client->write(m_upstream.readAll());
}

void CuttingProxy::cutBoth()
{
    m_cut = true;
    m_upstream.waitForBytesWritten(1000);
    m_upstream.abort();
    if (m_client)
        m_client->abort();
}

} // namespace quorin::test
