#pragma once
// Running the command-line DICOM tools (DCMTK, GDCM) as senders and helpers.
// Every call keeps this thread's event loop running while the tool works, so
// a relay in the test process can serve the tool.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace quorin::test {

struct ToolRun {
    bool finished = false; // false: did not start, or killed at the timeout
    bool crashed = false;  // ended by a signal (exitCode is then -1)
    int exitCode = -1;
    QString output; // stdout and stderr together

    bool succeeded() const { return finished && exitCode == 0; }
};

// A tool started in the background with TCP_NODELAY=1, its output
// collected as it comes.
class RunningTool {
public:
    RunningTool(const QString& program, const QStringList& arguments);
    ~RunningTool();
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

    bool done() const;
    // Waits (event loop running) until it ends; kills it (by its PID) when
    // it is still running after `timeoutMs`.
    ToolRun result(int timeoutMs = 120000);

private:
    std::unique_ptr<QProcess> m_process;
    QByteArray m_output;
};

// Runs `program` with TCP_NODELAY=1; kills it (by its PID) after `timeoutMs`.
ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// storescu -aet SENDER -aec <calledAE> 127.0.0.1 <port> <extra> <files>.
// Compressed files need `extra` such as "-xs" (JPEG lossless) or "-xr" (RLE)
// so storescu proposes their syntax.
ToolRun storescu(quint16 port, const QStringList& files, const QStringList& extra = {},
                 const QString& calledAE = QStringLiteral("RELAY"));

// One storescu per file group, all at the same time, each sending its
// group on one association; their results in the order of the groups.
QList<ToolRun> storescuInParallel(quint16 port, const QList<QStringList>& fileGroups, int timeoutMs = 600000);

// storescu arguments that make it propose `sopClassUid` (with the
// uncompressed syntaxes) through an association profile written to
// `folder`; storescu proposes only SOP classes it knows otherwise.
QStringList storescuProposing(const QString& folder, const QString& sopClassUid);

// storescu as above, started in the background.
std::unique_ptr<RunningTool> startStorescu(quint16 port, const QStringList& files, const QStringList& extra = {},
                                           const QString& calledAE = QStringLiteral("RELAY"));

// echoscu -aec <calledAE> 127.0.0.1 <port>.
ToolRun echoscu(quint16 port, const QString& calledAE = QStringLiteral("RELAY"));

// gdcmscu --store; it ends with an abort (crashed, shell exit code 134)
// even when the store worked, so judge it by what arrived.
ToolRun gdcmscuStore(quint16 port, const QString& file);

} // namespace quorin::test
