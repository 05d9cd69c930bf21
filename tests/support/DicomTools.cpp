#include "DicomTools.h"

#include <QDir>
#include <QFile>

namespace quorin::test {

namespace {

QStringList storescuArguments(quint16 port, const QStringList& files, const QStringList& extra,
                              const QString& calledAE)
{
    return QStringList{QStringLiteral("-aet"), QStringLiteral("SENDER"), QStringLiteral("-aec"), calledAE} + extra
           + QStringList{QStringLiteral("127.0.0.1"), QString::number(port)} + files;
}

} // namespace

ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs)
{
    return RunningTool(program, arguments).result(timeoutMs);
}

ToolRun storescu(quint16 port, const QStringList& files, const QStringList& extra, const QString& calledAE)
{
    return runTool(QStringLiteral("storescu"), storescuArguments(port, files, extra, calledAE));
}

std::unique_ptr<RunningTool> startStorescu(quint16 port, const QStringList& files, const QStringList& extra,
                                           const QString& calledAE)
{
    return std::make_unique<RunningTool>(QStringLiteral("storescu"), storescuArguments(port, files, extra, calledAE));
}

QList<ToolRun> storescuInParallel(quint16 port, const QList<QStringList>& fileGroups, int timeoutMs)
{
    std::vector<std::unique_ptr<RunningTool>> senders;
    for (const QStringList& files : fileGroups)
        senders.push_back(startStorescu(port, files));
    QList<ToolRun> runs;
    for (const auto& sender : senders)
        runs << sender->result(timeoutMs);
    return runs;
}

QStringList storescuProposing(const QString& folder, const QString& sopClassUid)
{
    const QString path = QDir(folder).filePath(QStringLiteral("storescu-%1.cfg").arg(sopClassUid));
    QFile profile(path);
    if (profile.open(QIODevice::WriteOnly))
        profile.write(QStringLiteral("[[TransferSyntaxes]]\n[Uncompressed]\nTransferSyntax1 = LittleEndianExplicit\n"
                                     "TransferSyntax2 = LittleEndianImplicit\n\n[[PresentationContexts]]\n[Chosen]\n"
                                     "PresentationContext1 = %1\\Uncompressed\n\n"
                                     "[[Profiles]]\n[Chosen]\nPresentationContexts = Chosen\n")
                          .arg(sopClassUid)
                          .toLatin1());
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
