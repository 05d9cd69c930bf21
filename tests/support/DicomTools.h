#pragma once
// The command-line DICOM tools (DCMTK, GDCM) as senders and helpers. Every
// call keeps this thread's event loop running while the tool works, so a
// relay in the test process can serve it.

#include "PeerProcess.h"
#include "TestFiles.h"

#include <QDir>
#include <memory>

namespace quorin::test {

inline std::unique_ptr<RunningTool> StartTool(const QString& program, const QStringList& arguments)
{
    auto tool = std::make_unique<RunningTool>(program, arguments);
    tool->start();
    return tool;
}

// Runs `program`; kills it after `timeoutMs`.
inline ToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000)
{
    return StartTool(program, arguments)->result(timeoutMs);
}

// storescu -aet SENDER -aec RELAY <extra> 127.0.0.1 <port> <files>; `extra`
// such as "-xs" makes it propose a compressed file's syntax.
inline std::unique_ptr<RunningTool> StartStorescu(quint16 port, const QStringList& files, const QStringList& extra = {})
{
    return StartTool(QStringLiteral("storescu"), QStringList{"-aet", "SENDER", "-aec", "RELAY"} + extra
                                                     + QStringList{"127.0.0.1", QString::number(port)} + files);
}

inline ToolRun Storescu(quint16 port, const QStringList& files, const QStringList& extra = {}, int timeoutMs = 120000)
{
    return StartStorescu(port, files, extra)->result(timeoutMs);
}

// One storescu per group, all at once, each group on one association.
inline QList<ToolRun> StorescuInParallel(quint16 port, const QList<QStringList>& fileGroups, int timeoutMs = 600000)
{
    std::vector<std::unique_ptr<RunningTool>> senders;
    for (const QStringList& files : fileGroups)
        senders.push_back(StartStorescu(port, files));
    QList<ToolRun> runs;
    for (const auto& sender : senders)
        runs << sender->result(timeoutMs);
    return runs;
}

// Arguments that make storescu propose `sopClassUid` (uncompressed), which it
// would not for a class it does not know; the profile is written to `folder`.
inline QStringList StorescuProposing(const QString& folder, const QString& sopClassUid)
{
    const QString profile = QDir(folder).filePath(QStringLiteral("storescu-%1.cfg").arg(sopClassUid));
    TestFiles::Write(profile, "[[TransferSyntaxes]]\n[Uncompressed]\nTransferSyntax1 = LittleEndianExplicit\n"
                              "TransferSyntax2 = LittleEndianImplicit\n\n[[PresentationContexts]]\n[Chosen]\n"
                              "PresentationContext1 = " + sopClassUid.toLatin1() + "\\Uncompressed\n\n"
                              "[[Profiles]]\n[Chosen]\nPresentationContexts = Chosen\n");
    return {QStringLiteral("-xf"), profile, QStringLiteral("Chosen")};
}

inline ToolRun Echoscu(quint16 port)
{
    return RunTool(QStringLiteral("echoscu"), {"-aec", "RELAY", "127.0.0.1", QString::number(port)});
}

} // namespace quorin::test
