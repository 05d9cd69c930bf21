#pragma once
// A DICOM peer program run for a test (storescp, Orthanc, ...): started with
// TCP_NODELAY=1, stopped by its own PID when the object goes.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace quorin::test {

class PeerProcess {
public:
    PeerProcess(QString program, QStringList arguments, QString workingDirectory = QString());
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Starts the program and, when `port` is not 0, waits until it accepts
    // TCP connections there. False when it did not start or never listened.
    bool start(quint16 port = 0, int timeoutMs = 15000);

    // Asks the program to end (SIGTERM), kills it when it has not after
    // `graceMs`. Does nothing when it is not running.
    void stop(int graceMs = 5000);

    bool isRunning() const;
    qint64 pid() const;
    // Everything it wrote to stdout and stderr so far.
    QString output();

private:
    QString m_program;
    QStringList m_arguments;
    // Output goes to a file: a pipe nobody reads would fill and stall the peer.
    QTemporaryFile m_outputFile;
    QProcess m_process;
};

// True once something accepts a TCP connection at 127.0.0.1:port.
bool waitForListeningPort(quint16 port, int timeoutMs, const QProcess* mustStayAlive = nullptr);

} // namespace quorin::test
