#pragma once
// A TCP pass-through on loopback that keeps every byte its one client sent:
// a real sender's side of an exchange, captured on the wire to be replayed
// or mutated by a misbehaving sender. Runs on this thread's event loop.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quorin::test {

class RecordingProxy : public QObject {
public:
    explicit RecordingProxy(quint16 targetPort);

    // Listens on a free loopback port; false when it cannot.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    const QByteArray& clientBytes() const { return m_clientBytes; }

private:
    void accept();
    void passClientBytes();
    void passServerBytes();

    const quint16 m_targetPort;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QTcpSocket m_upstream;
    QByteArray m_clientBytes;
    qint64 m_passed = 0; // of m_clientBytes, sent upstream
};

} // namespace quorin::test
