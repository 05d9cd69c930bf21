#pragma once
// A TCP pass-through on loopback that cuts its connection (closing both
// sides) once a set number of bytes came from the client: a sender that
// vanishes in the middle of an association or an image, with no DICOM code
// in the test.

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QPointer>

namespace quorin::test {

class CuttingProxy : public QObject {
    Q_OBJECT
public:
    CuttingProxy(quint16 targetPort, qint64 cutAfterClientBytes);

    // Listens on a free loopback port; false when it cannot.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // Whether the cut happened.
    bool hasCut() const { return m_cut; }

private:
    void accept();
    void passClientBytes();
    void passServerBytes();
    void cutBoth();

    const quint16 m_targetPort;
    const qint64 m_cutAfter;
    qint64 m_passed = 0;
    bool m_cut = false;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QTcpSocket m_upstream;
    QByteArray m_pending; // client bytes that came before the upstream connected
};

} // namespace quorin::test
