#include "DicomTools.h"

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

// A tool process with its output collected as it comes.
struct RunningTool {
    QProcess process;
    QByteArray output;

    RunningTool(const QString& program, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, [this] { output += process.readAll(); });
        process.start(program, arguments);
    }

    bool done() const { return process.state() == QProcess::NotRunning; }

    // Kills it when still running.
    ToolRun result()
    {
        ToolRun run;
        run.finished = done() && process.error() != QProcess::FailedToStart;
        if (!done()) {
            process.kill();
            process.waitForFinished(5000);
        }
        output += process.readAll();
        run.output = QString::fromLocal8Bit(output);
        run.crashed = run.finished && process.exitStatus() == QProcess::CrashExit;
        if (run.finished && !run.crashed)
            run.exitCode = process.exitCode();
        return run;
    }
};

QStringList storescuArguments(quint16 port, const QStringList& files, const QStringList& extra,
                              const QString& calledAE)
{
    QStringList arguments{QStringLiteral("-aet"), QStringLiteral("SENDER"), QStringLiteral("-aec"), calledAE};
    arguments << extra << QStringLiteral("127.0.0.1") << QString::number(port) << files;
    return arguments;
}

} // namespace

ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs)
{
    RunningTool tool(program, arguments);
    waitUntil([&] { return tool.done(); }, timeoutMs);
    return tool.result();
}

QList<ToolRun> storescuInParallel(quint16 port, const QList<QStringList>& fileGroups, int timeoutMs)
{
    std::vector<std::unique_ptr<RunningTool>> senders;
    for (const QStringList& files : fileGroups)
        senders.push_back(std::make_unique<RunningTool>(
            QStringLiteral("storescu"), storescuArguments(port, files, {}, QStringLiteral("RELAY"))));
    waitUntil([&] { return std::all_of(senders.begin(), senders.end(), [](const auto& s) { return s->done(); }); },
              timeoutMs);
    QList<ToolRun> runs;
    for (const auto& sender : senders)
        runs << sender->result();
    return runs;
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

QString dcmdump(const QString& file)
{
    return runTool(QStringLiteral("dcmdump"), {QStringLiteral("+L"), file}).output;
}

} // namespace quorin::test
