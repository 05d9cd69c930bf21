#include "SilentPeer.h"

namespace quorin::test {

SilentPeer::SilentPeer()
{
    connect(&m_server, &QTcpServer::newConnection, this, &SilentPeer::accept);
}

bool SilentPeer::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

void SilentPeer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        // The sockets are children of the server and go with it.
        m_connections << socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { m_bytesRead += socket->readAll().size(); });
    }
}

} // namespace quorin::test
