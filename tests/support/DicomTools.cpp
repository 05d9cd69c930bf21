#include "DicomTools.h"

#include "ChildDescriptors.h"
#include "EventLoopWait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <memory>
#include <vector>

namespace quorin::test {

namespace {

QStringList storescuArguments(quint16 port, const QStringList& files, const QStringList& extra,
                              const QString& calledAE)
{
    QStringList arguments{QStringLiteral("-aet"), QStringLiteral("SENDER"), QStringLiteral("-aec"), calledAE};
    arguments << extra << QStringLiteral("127.0.0.1") << QString::number(port) << files;
    return arguments;
}

} // namespace

RunningTool::RunningTool(const QString& program, const QStringList& arguments)
    : m_process(std::make_unique<QProcess>())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
    m_process->setProcessEnvironment(environment);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    keepDescriptorsFromChild(*m_process);
    QObject::connect(m_process.get(), &QProcess::readyRead, [this] { m_output += m_process->readAll(); });
    m_process->start(program, arguments);
}

RunningTool::~RunningTool()
{
    if (!done()) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool RunningTool::done() const
{
    return m_process->state() == QProcess::NotRunning;
}

ToolRun RunningTool::result(int timeoutMs)
{
    waitUntil([this] { return done(); }, timeoutMs);
    ToolRun run;
    run.finished = done() && m_process->error() != QProcess::FailedToStart;
    if (!done()) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
    m_output += m_process->readAll();
    run.output = QString::fromLocal8Bit(m_output);
    run.crashed = run.finished && m_process->exitStatus() == QProcess::CrashExit;
    if (run.finished && !run.crashed)
        run.exitCode = m_process->exitCode();
    return run;
}

ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs)
{
    return RunningTool(program, arguments).result(timeoutMs);
}

QList<ToolRun> storescuInParallel(quint16 port, const QList<QStringList>& fileGroups, int timeoutMs)
{
    std::vector<std::unique_ptr<RunningTool>> senders;
    for (const QStringList& files : fileGroups)
        senders.push_back(startStorescu(port, files));
    waitUntil([&] { return std::all_of(senders.begin(), senders.end(), [](const auto& s) { return s->done(); }); },
              timeoutMs);
    QList<ToolRun> runs;
    for (const auto& sender : senders)
        runs << sender->result(0);
    return runs;
}

std::unique_ptr<RunningTool> startStorescu(quint16 port, const QStringList& files, const QStringList& extra,
                                           const QString& calledAE)
{
    return std::make_unique<RunningTool>(QStringLiteral("storescu"),
                                         storescuArguments(port, files, extra, calledAE));
}

ToolRun storescu(quint16 port, const QStringList& files, const QStringList& extra, const QString& calledAE)
{
    return runTool(QStringLiteral("storescu"), storescuArguments(port, files, extra, calledAE));
}

QStringList storescuProposing(const QString& folder, const QString& sopClassUid)
{
    const QString path = QDir(folder).filePath(QStringLiteral("storescu-%1.cfg").arg(sopClassUid));
    QFile profile(path);
    if (profile.open(QIODevice::WriteOnly)) {
        profile.write(QStringLiteral("[[TransferSyntaxes]]\n[Uncompressed]\n"
                                     "TransferSyntax1 = LittleEndianExplicit\n"
                                     "TransferSyntax2 = LittleEndianImplicit\n\n"
                                     "[[PresentationContexts]]\n[Chosen]\n"
                                     "PresentationContext1 = %1\\Uncompressed\n\n"
                                     "[[Profiles]]\n[Chosen]\nPresentationContexts = Chosen\n")
                          .arg(sopClassUid)
                          .toLatin1());
    }
    return {QStringLiteral("-xf"), path, QStringLiteral("Chosen")};
}

ToolRun echoscu(quint16 port, const QString& calledAE)
{
    return runTool(QStringLiteral("echoscu"),
                   {QStringLiteral("-aec"), calledAE, QStringLiteral("127.0.0.1"), QString::number(port)});
}

ToolRun gdcmscuStore(quint16 port, const QString& file)
{
    return runTool(QStringLiteral("gdcmscu"),
                   {QStringLiteral("--store"), QStringLiteral("--aetitle"), QStringLiteral("SENDER"),
                    QStringLiteral("--call"), QStringLiteral("RELAY"), QStringLiteral("127.0.0.1"),
                    QString::number(port), QStringLiteral("-i"), file});
}

} // namespace quorin::test
