#pragma once
// A TCP pass-through on loopback for one client, run on this thread's event
// loop. It keeps every byte the client sent (a real sender's side of an
// exchange, captured on the wire to be replayed or mutated), and it can cut
// the connection, closing both sides, once a set number of client bytes
// passed: a sender that vanishes in the middle of an association or an
// image, with no DICOM code in the test.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <limits>

namespace quorin::test {

class LoopbackProxy : public QObject {
public:
    static constexpr qint64 kNeverCut = std::numeric_limits<qint64>::max();

    explicit LoopbackProxy(quint16 targetPort, qint64 cutAfterClientBytes = kNeverCut);

    // Listens on a free loopback port; false when it cannot.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // What the client sent until the end or the cut.
    const QByteArray& clientBytes() const { return m_clientBytes; }
    bool hasCut() const { return m_cut; }

private:
    void accept();
    void passClientBytes();
    void passServerBytes();
    void cutBoth();

    const quint16 m_targetPort;
    const qint64 m_cutAfter;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QTcpSocket m_upstream;
    QByteArray m_clientBytes;
    qint64 m_passed = 0; // of m_clientBytes, sent upstream
    bool m_cut = false;
};

} // namespace quorin::test
