#include "RecordingProxy.h"

#include <QHostAddress>

namespace quorin::test {

RecordingProxy::RecordingProxy(quint16 targetPort)
    : m_targetPort(targetPort)
{
    connect(&m_server, &QTcpServer::newConnection, this, &RecordingProxy::accept);
    connect(&m_upstream, &QTcpSocket::connected, this, &RecordingProxy::passClientBytes);
    connect(&m_upstream, &QTcpSocket::readyRead, this, &RecordingProxy::passServerBytes);
}

bool RecordingProxy::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

void RecordingProxy::accept()
{
    QTcpSocket* client = m_server.nextPendingConnection();
    if (m_client) { // one connection only
        client->abort();
        return;
    }
    m_client = client;
    connect(client, &QTcpSocket::readyRead, this, &RecordingProxy::passClientBytes);
    // The sender closing ends the exchange upstream too.
    connect(client, &QTcpSocket::disconnected, &m_upstream, &QTcpSocket::disconnectFromHost);
    m_upstream.connectToHost(QHostAddress::LocalHost, m_targetPort);
}

void RecordingProxy::passClientBytes()
{
    if (m_client)
        m_clientBytes += m_client->readAll();
    // Bytes that came before the upstream connected wait for it.
    if (m_upstream.state() != QAbstractSocket::ConnectedState)
        return;
    m_upstream.write(m_clientBytes.mid(m_passed));
    m_passed = m_clientBytes.size();
}

void RecordingProxy::passServerBytes()
{
    if (m_client)
        m_client->write(m_upstream.readAll());
}

} // namespace quorin::test
