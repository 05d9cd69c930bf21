#pragma once
// A program run for a test (storescp, Orthanc, storescu, ...): started with
// TCP_NODELAY=1, its output collected in a file (a pipe nobody reads would
// stall it), ended by its own PID.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace quorin::test {

struct ToolRun {
    bool finished = false; // false: did not start, or killed at the timeout
    bool crashed = false;  // ended by a signal (exitCode is then -1)
    int exitCode = -1;
    QString output; // stdout and stderr together

    bool succeeded() const { return finished && exitCode == 0; }
};

class PeerProcess {
public:
    PeerProcess(QString program, QStringList arguments, QString workingDirectory = QString());
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // Starts the program and, when `port` is not 0, waits until it accepts
    // TCP connections there. False when it did not start or never listened.
    bool start(quint16 port = 0, int timeoutMs = 15000);
    // SIGTERM, then SIGKILL after `graceMs`. Nothing when it is not running.
    void stop(int graceMs = 5000);
    // Waits (event loop running) until it ends; kills it after `timeoutMs`.
    ToolRun result(int timeoutMs = 120000);

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }
    QString output() const;

private:
    QString m_program;
    QStringList m_arguments;
    QTemporaryFile m_outputFile;
    QProcess m_process;
};

// A tool started at once in the background.
class RunningTool : public PeerProcess {
public:
    RunningTool(const QString& program, const QStringList& arguments);
    bool done() const { return !isRunning(); }
};

// True once something accepts a TCP connection at 127.0.0.1:port.
bool waitForListeningPort(quint16 port, int timeoutMs, const QProcess* mustStayAlive = nullptr);

} // namespace quorin::test
