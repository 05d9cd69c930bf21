#include "PeerProcess.h"

#include "ChildDescriptors.h"
#include "EventLoopWait.h"

#include <QFile>
#include <QHostAddress>
#include <QProcessEnvironment>
#include <QTcpSocket>

namespace quorin::test {

namespace {

bool acceptsConnections(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    const bool connected = socket.waitForConnected(200);
    socket.abort();
    return connected;
}

} // namespace

bool waitForListeningPort(quint16 port, int timeoutMs, const QProcess* mustStayAlive)
{
    bool gone = false;
    const bool listening = waitUntil(
        [&] {
            if (mustStayAlive && mustStayAlive->state() == QProcess::NotRunning) {
                gone = true;
                return true;
            }
            return acceptsConnections(port);
        },
        timeoutMs);
    return listening && !gone;
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
    if (!workingDirectory.isEmpty())
        m_process.setWorkingDirectory(workingDirectory);
}

PeerProcess::~PeerProcess()
{
    stop();
}

bool PeerProcess::start(quint16 port, int timeoutMs)
{
    m_process.start(m_program, m_arguments);
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    return port == 0 || waitForListeningPort(port, timeoutMs, &m_process);
}

void PeerProcess::stop(int graceMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // QProcess signals exactly the child it started (by its PID).
    m_process.terminate();
    if (!m_process.waitForFinished(graceMs)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool PeerProcess::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

qint64 PeerProcess::pid() const
{
    return m_process.processId();
}

QString PeerProcess::output()
{
    QFile file(m_outputFile.fileName());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

} // namespace quorin::test
