#pragma once
// The command-line DICOM tools (DCMTK, GDCM) as senders and helpers. Every
// call keeps this thread's event loop running while the tool works, so a
// relay in the test process can serve it.

#include "PeerProcess.h"

#include <memory>

namespace quorin::test {

// Runs `program`; kills it after `timeoutMs`.
ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// storescu -aet SENDER -aec <calledAE> <extra> 127.0.0.1 <port> <files>;
// `extra` such as "-xs" makes it propose a compressed file's syntax.
ToolRun storescu(quint16 port, const QStringList& files, const QStringList& extra = {},
                 const QString& calledAE = QStringLiteral("RELAY"));
std::unique_ptr<RunningTool> startStorescu(quint16 port, const QStringList& files, const QStringList& extra = {},
                                           const QString& calledAE = QStringLiteral("RELAY"));
// One storescu per group, all at once, each group on one association.
QList<ToolRun> storescuInParallel(quint16 port, const QList<QStringList>& fileGroups, int timeoutMs = 600000);

// Arguments that make storescu propose `sopClassUid` (uncompressed), which it
// would not for a class it does not know; the profile is written to `folder`.
QStringList storescuProposing(const QString& folder, const QString& sopClassUid);

ToolRun echoscu(quint16 port, const QString& calledAE = QStringLiteral("RELAY"));

// gdcmscu --store; it ends with an abort even when the store worked, so
// judge it by what arrived.
ToolRun gdcmscuStore(quint16 port, const QString& file);

} // namespace quorin::test
