#pragma once
// A program run for a test (storescp, Orthanc, storescu, ...): started with
// TCP_NODELAY=1, its output collected in a file (a pipe nobody reads would
// stall it), ended by its own PID.

#include "EventLoopWait.h"
#include "TestFiles.h"

#include <QHostAddress>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quorin::test {

struct ToolRun {
    bool finished = false; // false: did not start, or killed at the timeout
    bool crashed = false;  // ended by a signal (exitCode is then -1)
    int exitCode = -1;
    QString output; // stdout and stderr together

    bool succeeded() const { return finished && exitCode == 0; }
};

// True once something accepts a TCP connection at 127.0.0.1:port.
inline bool WaitForListeningPort(quint16 port, int timeoutMs, const QProcess* mustStayAlive = nullptr)
{
    const auto gone = [&] { return mustStayAlive && mustStayAlive->state() == QProcess::NotRunning; };
    return WaitUntil(
               [&] {
                   QTcpSocket socket;
                   socket.connectToHost(QHostAddress::LocalHost, port);
                   return gone() || socket.waitForConnected(200);
               },
               timeoutMs)
           && !gone();
}

class PeerProcess {
public:
    PeerProcess(QString program, QStringList arguments, QString workingDirectory = QString())
        : m_program(std::move(program))
        , m_arguments(std::move(arguments))
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        if (m_outputFile.open())
            m_process.setStandardOutputFile(m_outputFile.fileName());
        m_process.setWorkingDirectory(workingDirectory);
#ifdef Q_OS_UNIX
        // The toolkit opens its sockets without close-on-exec: a tool that
        // inherited the relay's archive connection kept it open after the
        // relay released it, and storescp waited for that close before its
        // next association (the relay gave up after 30 s, about once in
        // twenty runs). The limit is asked here: only async-signal-safe
        // calls in the child.
        const int limit = int(sysconf(_SC_OPEN_MAX));
        m_process.setChildProcessModifier([limit] {
#if defined(__linux__) && defined(CLOSE_RANGE_CLOEXEC)
            if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
                return;
#endif
            for (int fd = 3; fd < limit; ++fd) {
                const int flags = fcntl(fd, F_GETFD);
                if (flags >= 0)
                    fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
            }
        });
#endif
    }
    ~PeerProcess() { stop(); }

    // Starts the program and, when `port` is not 0, waits until it accepts
    // TCP connections there. False when it did not start or never listened.
    bool start(quint16 port = 0, int timeoutMs = 15000)
    {
        m_process.start(m_program, m_arguments);
        return m_process.waitForStarted(timeoutMs)
               && (port == 0 || WaitForListeningPort(port, timeoutMs, &m_process));
    }

    // SIGTERM (QProcess signals exactly the child it started), then SIGKILL
    // after `graceMs`. Nothing when it is not running. On Windows the
    // tools are console programs, which a terminate() (WM_CLOSE) never
    // reaches: ended at once.
    void stop(int graceMs = 5000)
    {
        if (!isRunning())
            return;
#ifdef Q_OS_WIN
        graceMs = 0;
#endif
        m_process.terminate();
        if (!m_process.waitForFinished(graceMs)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Waits (event loop running) until it ends; kills it after `timeoutMs`.
    ToolRun result(int timeoutMs = 120000)
    {
        ToolRun run;
        run.finished = WaitUntil([this] { return !isRunning(); }, timeoutMs)
                       && m_process.error() != QProcess::FailedToStart;
        stop(0);
        run.output = output();
        run.crashed = run.finished && m_process.exitStatus() == QProcess::CrashExit;
        if (run.finished && !run.crashed)
            run.exitCode = m_process.exitCode();
        return run;
    }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    bool done() const { return !isRunning(); }
    qint64 pid() const { return m_process.processId(); }
    QString output() const { return QString::fromLocal8Bit(TestFiles::Read(m_outputFile.fileName())); }

private:
    QString m_program;
    QStringList m_arguments;
    QTemporaryFile m_outputFile;
    QProcess m_process;
};

// A tool started in the background (startTool).
using RunningTool = PeerProcess;

} // namespace quorin::test
