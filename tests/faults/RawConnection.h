#pragma once
// A raw TCP connection to the relay, for a misbehaving sender: writes bytes
// as given, collects what comes back, and ends with a FIN or a reset. Every
// wait runs this thread's event loop, so a relay in the same process keeps
// working meanwhile. Loopback only.

#include <QByteArray>
#include <QTcpSocket>

namespace quorin::test {

class RawConnection {
public:
    RawConnection();

    bool open(quint16 port, int timeoutMs = 2000);
    // Writes `bytes` and waits until they left; false when the connection
    // broke or the time ran out first.
    bool send(const QByteArray& bytes, int timeoutMs = 5000);
    // Waits until a whole PDU of `type` came back; false when the
    // connection closed or the time ran out first.
    bool waitForPdu(quint8 type, int timeoutMs = 10000);
    // Waits until the relay closed the connection.
    bool waitForClose(int timeoutMs = 10000);
    const QByteArray& received() const { return m_received; }

    // Ends with a FIN: whatever was sent is delivered first.
    void close();
    // Ends with a reset (SO_LINGER 0): the relay sees ECONNRESET.
    void reset();

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

} // namespace quorin::test
