#include "DicomTools.h"

#include "EventLoopWait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace quorin::test {

ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray output;
    QObject::connect(&process, &QProcess::readyRead, [&] { output += process.readAll(); });

    ToolRun run;
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return run;
    run.finished = waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!run.finished) {
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

ToolRun storescu(quint16 port, const QStringList& files, const QStringList& extra, const QString& calledAE)
{
    QStringList arguments{QStringLiteral("-aet"), QStringLiteral("SENDER"), QStringLiteral("-aec"), calledAE};
    arguments << extra << QStringLiteral("127.0.0.1") << QString::number(port) << files;
    return runTool(QStringLiteral("storescu"), arguments);
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
