#include "PeerProcess.h"

#include "EventLoopWait.h"

#include <QFile>
#include <QHostAddress>
#include <QProcessEnvironment>
#include <QTcpSocket>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quorin::test {

namespace {

// The toolkit opens its sockets without close-on-exec: a tool that inherited
// the relay's archive connection kept it open after the relay released it,
// and storescp waited for that close before its next association (the relay
// gave up after 30 s, about once in twenty runs).
void keepDescriptorsFromChild([[maybe_unused]] QProcess& process)
{
#ifdef Q_OS_UNIX
    const int limit = int(sysconf(_SC_OPEN_MAX)); // asked here: only async-signal-safe calls in the child
    process.setChildProcessModifier([limit] {
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

bool acceptsConnections(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

} // namespace

bool waitForListeningPort(quint16 port, int timeoutMs, const QProcess* mustStayAlive)
{
    const auto gone = [&] { return mustStayAlive && mustStayAlive->state() == QProcess::NotRunning; };
    return waitUntil([&] { return gone() || acceptsConnections(port); }, timeoutMs) && !gone();
}

PeerProcess::PeerProcess(QString program, QStringList arguments, QString workingDirectory)
    : m_program(std::move(program))
    , m_arguments(std::move(arguments))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    keepDescriptorsFromChild(m_process);
    if (m_outputFile.open())
        m_process.setStandardOutputFile(m_outputFile.fileName());
    m_process.setWorkingDirectory(workingDirectory);
}

PeerProcess::~PeerProcess()
{
    stop();
}

bool PeerProcess::start(quint16 port, int timeoutMs)
{
    m_process.start(m_program, m_arguments);
    return m_process.waitForStarted(timeoutMs) && (port == 0 || waitForListeningPort(port, timeoutMs, &m_process));
}

void PeerProcess::stop(int graceMs)
{
    if (!isRunning())
        return;
    m_process.terminate(); // QProcess signals exactly the child it started
    if (!m_process.waitForFinished(graceMs)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

ToolRun PeerProcess::result(int timeoutMs)
{
    ToolRun run;
    run.finished = waitUntil([this] { return !isRunning(); }, timeoutMs)
                   && m_process.error() != QProcess::FailedToStart;
    stop(0);
    run.output = output();
    run.crashed = run.finished && m_process.exitStatus() == QProcess::CrashExit;
    if (run.finished && !run.crashed)
        run.exitCode = m_process.exitCode();
    return run;
}

QString PeerProcess::output() const
{
    QFile file(m_outputFile.fileName());
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

RunningTool::RunningTool(const QString& program, const QStringList& arguments)
    : PeerProcess(program, arguments)
{
    start();
}

} // namespace quorin::test
