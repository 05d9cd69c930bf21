#pragma once
// A misbehaving sender: a raw loopback connection that replays and alters
// what a real storescu sent to the relay (captured on the wire), then ends
// with a FIN or a reset. Every wait runs this thread's event loop, so a
// relay in the same process keeps working meanwhile.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTcpSocket>

namespace quorin::test {

namespace pdu {
enum Type : char { AssociateRq = 0x01, AssociateAc = 0x02, PData = 0x04, ReleaseRq = 0x05, Abort = 0x07 };
// Type, a reserved byte, then the length of the rest, big endian.
QByteArray header(quint8 type, quint32 length);
// The whole PDUs at the start of `stream`; an incomplete last one is left out.
QList<QByteArray> split(const QByteArray& stream);
QByteArray abort();
// The Status (0000,0900) of the first response in `pdus`, or -1.
int commandStatus(const QList<QByteArray>& pdus);
} // namespace pdu

// storescu's side of one exchange, its PDUs sorted by role. DCMTK puts one
// value in each P-DATA PDU: its context at byte 10, its control byte at 11
// (bit 0: command), its fragment from 12 on.
struct CapturedExchange {
    QByteArray associateRequest;
    QList<QByteArray> commandPdus;
    QList<QByteArray> datasetPdus;
    QByteArray releaseRequest;

    bool isValid() const;
    QByteArray dataset() const;
    // `dataset` in P-DATA PDUs of 16 KiB on the image's context, the last
    // fragment marked last if `last`.
    QList<QByteArray> carrying(const QByteArray& dataset, bool last = true) const;
};

// storescu (with `extra`) sends `imageFile` to the relay at `relayPort`
// through a LoopbackProxy; whatever the answer, what it sent.
CapturedExchange captureExchange(quint16 relayPort, const QString& imageFile, const QStringList& extra = {});

class RawConnection {
public:
    RawConnection();
    bool open(quint16 port);
    // Writes `bytes` and waits until they left; false when the connection
    // broke or the time ran out first.
    bool send(const QByteArray& bytes, int timeoutMs = 5000);
    // Waits until `count` whole PDUs came back or the relay closed the
    // connection; the PDUs.
    QList<QByteArray> waitForPdus(int count, int timeoutMs = 10000);
    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    // Ends with a FIN: whatever was sent is delivered first.
    void close();
    // Ends with a reset (SO_LINGER 0): the relay sees ECONNRESET.
    void reset();

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

} // namespace quorin::test
