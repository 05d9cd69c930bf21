#include "RawConnection.h"

#include "EventLoopWait.h"
#include "PduBytes.h"

#include <QHostAddress>

#include <sys/socket.h>

namespace quorin::test {

namespace {

bool isOpen(const QTcpSocket& socket)
{
    return socket.state() == QAbstractSocket::ConnectedState;
}

} // namespace

RawConnection::RawConnection()
{
    QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_received += m_socket.readAll(); });
}

bool RawConnection::open(quint16 port, int timeoutMs)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return waitUntil([this] { return m_socket.state() != QAbstractSocket::ConnectingState
                                         && m_socket.state() != QAbstractSocket::HostLookupState; },
                     timeoutMs)
           && isOpen(m_socket);
}

bool RawConnection::send(const QByteArray& bytes, int timeoutMs)
{
    if (!isOpen(m_socket) || m_socket.write(bytes) != bytes.size())
        return false;
    // Into the kernel now: on loopback the relay has them at once, and a
    // reset that follows comes right behind them.
    m_socket.flush();
    return waitUntil([this] { return m_socket.bytesToWrite() == 0 || !isOpen(m_socket); }, timeoutMs)
           && m_socket.bytesToWrite() == 0;
}

bool RawConnection::waitForPdu(quint8 type, int timeoutMs)
{
    const auto arrived = [this, type] {
        for (const QByteArray& pdu : pdu::split(m_received)) {
            if (pdu::typeOf(pdu) == type)
                return true;
        }
        return false;
    };
    waitUntil([&] { return arrived() || !isOpen(m_socket); }, timeoutMs);
    return arrived();
}

bool RawConnection::waitForClose(int timeoutMs)
{
    return waitUntil([this] { return !isOpen(m_socket); }, timeoutMs);
}

void RawConnection::close()
{
    m_socket.disconnectFromHost();
    waitUntil([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, 1000);
    m_socket.abort();
}

void RawConnection::reset()
{
    if (m_socket.socketDescriptor() != -1) {
        const linger immediate{1, 0};
        ::setsockopt(int(m_socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &immediate, sizeof(immediate));
    }
    m_socket.abort();
}

} // namespace quorin::test
