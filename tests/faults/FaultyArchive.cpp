#include "FaultyArchive.h"

#include "EventLoopWait.h"
#include "LoopbackPorts.h"

#include <QDir>

#include <signal.h>

namespace quorin::test {

FaultyArchive::FaultyArchive() = default;

FaultyArchive::~FaultyArchive()
{
    stop();
}

QString FaultyArchive::folder() const
{
    return QDir(m_root.path()).filePath(QStringLiteral("store"));
}

bool FaultyArchive::start()
{
    if (m_port == 0)
        m_port = freeLoopbackPort();
    if (!m_root.isValid() || !restoreOutputFolder())
        return false;
    // The options of StorescpArchive: +B streams each image to its file as
    // it arrives, so a kill leaves a partial file behind.
    m_process = std::make_unique<PeerProcess>(
        QStringLiteral("storescp"), QStringList{QStringLiteral("+B"), QStringLiteral("-pdu"),
                                                QStringLiteral("131072"), QStringLiteral("-od"), folder(),
                                                QString::number(m_port)});
    m_paused = false;
    return m_process->start(m_port);
}

void FaultyArchive::stop()
{
    if (!m_process)
        return;
    // A paused process would only see the SIGTERM once it runs again.
    resume();
    m_process->stop();
}

void FaultyArchive::pause()
{
    sendSignal(SIGSTOP);
    m_paused = true;
}

void FaultyArchive::resume()
{
    if (m_paused)
        sendSignal(SIGCONT);
    m_paused = false;
}

void FaultyArchive::kill()
{
    sendSignal(SIGKILL);
    m_paused = false;
    waitUntil([this] { return !m_process->isRunning(); }, 5000);
}

void FaultyArchive::sendSignal(int number)
{
    if (m_process && m_process->isRunning() && m_process->pid() > 0)
        ::kill(pid_t(m_process->pid()), number);
}

bool FaultyArchive::removeOutputFolder()
{
    return QDir(folder()).removeRecursively();
}

bool FaultyArchive::restoreOutputFolder()
{
    return QDir().mkpath(folder());
}

QStringList FaultyArchive::storedFiles() const
{
    const QDir store(folder());
    QStringList files;
    for (const QString& name : store.entryList(QDir::Files, QDir::Name))
        files << store.filePath(name);
    return files;
}

} // namespace quorin::test
