#pragma once
// A misbehaving sender: a raw loopback connection that replays and alters
// what a real storescu sent to the relay (captured on the wire), then ends
// with a FIN or a reset. Every wait runs this thread's event loop, so a
// relay in the same process keeps working meanwhile.

#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackProxy.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QtEndian>

#include <sys/socket.h>

namespace quorin::test::pdu {

enum Type : char { AssociateRq = 0x01, AssociateAc = 0x02, AssociateRj = 0x03, PData = 0x04, ReleaseRq = 0x05, Abort = 0x07 };

// Type, a reserved byte, then the length of the rest, big endian.
inline QByteArray PduHeader(quint8 type, quint32 length)
{
    QByteArray bytes(6, '\0');
    bytes[0] = char(type);
    qToBigEndian(length, bytes.data() + 2);
    return bytes;
}

// The whole PDUs at the start of `stream`; an incomplete last one is left out.
inline QList<QByteArray> Split(const QByteArray& stream)
{
    QList<QByteArray> pdus;
    for (qsizetype at = 0, whole = 0; stream.size() - at >= 6; at += whole) {
        whole = 6 + qsizetype(qFromBigEndian<quint32>(stream.constData() + at + 2));
        if (stream.size() - at < whole)
            break;
        pdus << stream.mid(at, whole);
    }
    return pdus;
}

// The Status (0000,0900) of the first response in `pdus`, or -1.
inline int CommandStatus(const QList<QByteArray>& pdus)
{
    // Implicit VR little endian, as every command: tag (0000,0900), length 2.
    static const QByteArray status = QByteArray::fromHex("0000000902000000");
    const QByteArray stream = pdus.join();
    const qsizetype at = stream.indexOf(status);
    return at < 0 ? -1 : qFromLittleEndian<quint16>(stream.constData() + at + status.size());
}

} // namespace quorin::test::pdu

namespace quorin::test {

// storescu's side of one exchange, its PDUs sorted by role. DCMTK puts one
// value in each P-DATA PDU: its context at byte 10, its control byte at 11
// (bit 0: command), its fragment from 12 on.
struct CapturedExchange {
    QByteArray associateRequest;
    QList<QByteArray> commandPdus;
    QList<QByteArray> datasetPdus;
    QByteArray releaseRequest;

    bool isValid() const
    {
        for (const QByteArray& pdu : commandPdus + datasetPdus) {
            if (pdu.size() < 12 || qFromBigEndian<quint32>(pdu.constData() + 6) != quint32(pdu.size() - 10))
                return false; // more than one value in the PDU
        }
        return !associateRequest.isEmpty() && !commandPdus.isEmpty() && !datasetPdus.isEmpty()
               && !releaseRequest.isEmpty();
    }

    QByteArray dataset() const
    {
        QByteArray bytes;
        for (const QByteArray& pdu : datasetPdus)
            bytes += pdu.mid(12);
        return bytes;
    }

    // `dataset` in P-DATA PDUs on the image's context, cut as storescu cut
    // the image, the last fragment marked last: storescu's first PDU with
    // its fragment, lengths and control byte replaced.
    QList<QByteArray> carrying(const QByteArray& dataset) const
    {
        const qsizetype fragment = datasetPdus.first().size() - 12;
        QList<QByteArray> pdus;
        for (qsizetype at = 0; at < dataset.size(); at += fragment) {
            QByteArray pdu = datasetPdus.first().left(12) + dataset.mid(at, fragment);
            qToBigEndian(quint32(pdu.size() - 6), pdu.data() + 2);
            qToBigEndian(quint32(pdu.size() - 10), pdu.data() + 6);
            pdu[11] = char(at + fragment >= dataset.size() ? 0x02 : 0x00);
            pdus << pdu;
        }
        return pdus;
    }
};

// storescu (with `extra`) sends `imageFile` to the relay at `relayPort`
// through a LoopbackProxy; whatever the answer, what it sent.
inline CapturedExchange CaptureExchange(quint16 relayPort, const QString& imageFile, const QStringList& extra = {})
{
    LoopbackProxy proxy(relayPort);
    CapturedExchange exchange;
    if (!proxy.listen() || !Storescu(proxy.port(), {imageFile}, extra).finished)
        return exchange;
    for (const QByteArray& pdu : pdu::Split(proxy.clientBytes())) {
        if (pdu[0] == pdu::AssociateRq)
            exchange.associateRequest = pdu;
        else if (pdu[0] == pdu::ReleaseRq)
            exchange.releaseRequest = pdu;
        else if (pdu[0] == pdu::PData)
            (pdu.size() > 11 && (pdu[11] & 0x01) ? exchange.commandPdus : exchange.datasetPdus) << pdu;
    }
    return exchange;
}

class RawConnection {
public:
    RawConnection()
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_received += m_socket.readAll(); });
    }

    bool open(quint16 port)
    {
        // An address, not a name: no host lookup.
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        WaitUntil([this] { return m_socket.state() != QAbstractSocket::ConnectingState; }, 2000);
        return isOpen();
    }

    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    // Writes `bytes` and waits until they left; false when the connection
    // broke or the time ran out first.
    bool send(const QByteArray& bytes, int timeoutMs = 5000)
    {
        if (!isOpen() || m_socket.write(bytes) != bytes.size())
            return false;
        // Into the kernel now: on loopback the relay has them at once, and a
        // reset that follows comes right behind them.
        m_socket.flush();
        return WaitUntil([this] { return m_socket.bytesToWrite() == 0 || !isOpen(); }, timeoutMs)
               && m_socket.bytesToWrite() == 0;
    }

    // Waits until `count` whole PDUs came back or the relay closed the
    // connection; the PDUs.
    QList<QByteArray> waitForPdus(int count, int timeoutMs = 10000)
    {
        WaitUntil([&] { return pdu::Split(m_received).size() >= count || !isOpen(); }, timeoutMs);
        return pdu::Split(m_received);
    }

    // Ends its side with a FIN and waits up to `timeoutMs` for the relay to
    // close its own; whether it did.
    bool finish(int timeoutMs)
    {
        if (isOpen())
            ::shutdown(int(m_socket.socketDescriptor()), SHUT_WR);
        const bool closed = WaitUntil([this] { return !isOpen(); }, timeoutMs);
        m_socket.abort();
        return closed;
    }

    // Ends with a reset (SO_LINGER 0): the relay sees ECONNRESET.
    void reset()
    {
        const linger immediate{1, 0};
        if (m_socket.socketDescriptor() != -1)
            ::setsockopt(int(m_socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &immediate, sizeof(immediate));
        m_socket.abort();
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

// Where the value of the first element `tag` (little endian, as the image
// travels) starts in `dataset`: explicit VR, a 2-byte length, or 2 reserved
// bytes and a 4-byte one.
inline qsizetype ValueAt(const QByteArray& dataset, const char* tag, int lengthBytes)
{
    return dataset.indexOf(QByteArray::fromHex(tag)) + 6 + (lengthBytes == 4 ? 6 : 2);
}

inline QByteArray WithLength(QByteArray dataset, const char* tag, int lengthBytes, quint32 length)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(length, bytes.data());
    return dataset.replace(ValueAt(dataset, tag, lengthBytes) - lengthBytes, lengthBytes, bytes.left(lengthBytes));
}

const char* const kName = "10001000";   // (0010,0010) Patient's Name
const char* const kPixels = "e07f1000"; // (7FE0,0010) Pixel Data

} // namespace quorin::test
