#include "RawSender.h"

#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackProxy.h"

#include <QHostAddress>
#include <QtEndian>

#include <sys/socket.h>

namespace quorin::test {

namespace pdu {

QByteArray header(quint8 type, quint32 length)
{
    QByteArray bytes(6, '\0');
    bytes[0] = char(type);
    qToBigEndian(length, bytes.data() + 2);
    return bytes;
}

QList<QByteArray> split(const QByteArray& stream)
{
    QList<QByteArray> pdus;
    for (qsizetype at = 0; stream.size() - at >= 6;) {
        const qint64 whole = 6 + qint64(qFromBigEndian<quint32>(stream.constData() + at + 2));
        if (stream.size() - at < whole)
            break;
        pdus << stream.mid(at, whole);
        at += whole;
    }
    return pdus;
}

QByteArray abort()
{
    // Reserved, reserved, source 0 (service user), reason 0.
    return header(Abort, 4) + QByteArray(4, '\0');
}

int commandStatus(const QList<QByteArray>& pdus)
{
    // Implicit VR little endian, as every command: tag (0000,0900), length 2.
    static const QByteArray status = QByteArray::fromHex("0000000902000000");
    const QByteArray stream = pdus.join();
    const qsizetype at = stream.indexOf(status);
    return at < 0 ? -1 : qFromLittleEndian<quint16>(stream.constData() + at + status.size());
}

} // namespace pdu

bool CapturedExchange::isValid() const
{
    for (const QByteArray& pdu : commandPdus + datasetPdus) {
        if (pdu.size() < 12 || qFromBigEndian<quint32>(pdu.constData() + 6) != quint32(pdu.size() - 10))
            return false; // more than one value in the PDU
    }
    return !associateRequest.isEmpty() && !commandPdus.isEmpty() && !datasetPdus.isEmpty();
}

QByteArray CapturedExchange::dataset() const
{
    QByteArray bytes;
    for (const QByteArray& pdu : datasetPdus)
        bytes += pdu.mid(12);
    return bytes;
}

QList<QByteArray> CapturedExchange::carrying(const QByteArray& dataset, bool last) const
{
    const int fragment = 16384;
    QList<QByteArray> pdus;
    for (qsizetype at = 0; at < dataset.size(); at += fragment) {
        const QByteArray part = dataset.mid(at, fragment);
        QByteArray item(6, '\0');
        qToBigEndian(quint32(part.size() + 2), item.data());
        item[4] = datasetPdus.first()[10];
        item[5] = char(last && at + fragment >= dataset.size() ? 0x02 : 0x00);
        pdus << pdu::header(pdu::PData, quint32(item.size() + part.size())) + item + part;
    }
    return pdus;
}

CapturedExchange captureExchange(quint16 relayPort, const QString& imageFile, const QStringList& extra)
{
    LoopbackProxy proxy(relayPort);
    CapturedExchange exchange;
    if (!proxy.listen() || !storescu(proxy.port(), {imageFile}, extra).finished)
        return exchange;
    for (const QByteArray& pdu : pdu::split(proxy.clientBytes())) {
        if (pdu[0] == pdu::AssociateRq)
            exchange.associateRequest = pdu;
        else if (pdu[0] == pdu::ReleaseRq)
            exchange.releaseRequest = pdu;
        else if (pdu[0] == pdu::PData)
            (pdu.size() > 11 && (pdu[11] & 0x01) ? exchange.commandPdus : exchange.datasetPdus) << pdu;
    }
    return exchange;
}

RawConnection::RawConnection()
{
    QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_received += m_socket.readAll(); });
}

bool RawConnection::open(quint16 port)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    waitUntil([this] { return m_socket.state() != QAbstractSocket::ConnectingState
                                  && m_socket.state() != QAbstractSocket::HostLookupState; },
              2000);
    return isOpen();
}

bool RawConnection::send(const QByteArray& bytes, int timeoutMs)
{
    if (!isOpen() || m_socket.write(bytes) != bytes.size())
        return false;
    // Into the kernel now: on loopback the relay has them at once, and a
    // reset that follows comes right behind them.
    m_socket.flush();
    return waitUntil([this] { return m_socket.bytesToWrite() == 0 || !isOpen(); }, timeoutMs)
           && m_socket.bytesToWrite() == 0;
}

QList<QByteArray> RawConnection::waitForPdus(int count, int timeoutMs)
{
    waitUntil([&] { return pdu::split(m_received).size() >= count || !isOpen(); }, timeoutMs);
    return pdu::split(m_received);
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
