#include "PathPairs.h"

#include "DicomTools.h"
#include "SenderLog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <map>


using namespace quorin::test;

int FileCount(const BenchCase& benchCase)
{
    int count = 0;
    for (const QStringList& group : benchCase.groups)
        count += group.size();
    return count;
}

PathPairs::PathPairs(StorescpArchive& archive, MinimalRelay& relay, PathPorts ports, QStringList senderArguments,
                     QStringList archiveArguments)
    : m_archive(archive)
    , m_relay(relay)
    , m_ports(ports)
    , m_pipe(archive.port())
    , m_senderArguments(std::move(senderArguments))
    , m_archiveArguments(std::move(archiveArguments))
{
}

namespace {

// Image i's time on `path` less its time direct.
void AddPerImage(const QList<qint64>& path, const QList<qint64>& direct, QList<qint64>& added)
{
    for (qsizetype image = 0; image < std::min(direct.size(), path.size()); ++image)
        added << path[image] - direct[image];
}

double Ratio(qint64 path, qint64 direct)
{
    return direct > 0 && path > 0 ? double(path) / double(direct) : 0.0;
}

} // namespace

CaseFigures PathPairs::run(const BenchCase& benchCase, int repeats)
{
    CaseFigures figures;
    for (const QStringList& group : benchCase.groups) {
        for (const QString& file : group)
            figures.relayedBytesPerRun += QFileInfo(file).size();
    }
    sendDirect(benchCase, figures); // warm-up: untimed, but what arrives counts
    sendThroughRelay(benchCase, figures);
    sendThroughPipe(benchCase, figures);
    quorin::dicom::TakeTimelines();
    const Path order[] = {Path::Direct, Path::Relay, Path::Pipe};
    for (int i = 0; i < repeats; ++i) {
        std::map<Path, Run> runs;
        for (int step = 0; step < 3; ++step) {
            const Path path = order[(i + step) % 3];
            runs[path] = timed(path, benchCase, figures);
        }
        const Run& direct = runs[Path::Direct];
        figures.directMs << direct.ms;
        figures.relayMs << runs[Path::Relay].ms;
        figures.pipeMs << runs[Path::Pipe].ms;
        figures.ratios << Ratio(runs[Path::Relay].ms, direct.ms);
        figures.pipeRatios << Ratio(runs[Path::Pipe].ms, direct.ms);
        AddPerImage(runs[Path::Relay].imageUs, direct.imageUs, figures.addedUs);
        AddPerImage(runs[Path::Pipe].imageUs, direct.imageUs, figures.pipeAddedUs);
    }
    return figures;
}

PathPairs::Run PathPairs::timed(Path path, const BenchCase& benchCase, CaseFigures& figures)
{
    if (path == Path::Pipe)
        return sendThroughPipe(benchCase, figures);
    const bool throughRelay = path == Path::Relay;
    const CpuMeter meter;
    const Run run = throughRelay ? sendThroughRelay(benchCase, figures) : sendDirect(benchCase, figures);
    meter.addTo(throughRelay ? figures.relayCpu : figures.directCpu);
    if (throughRelay) {
        const std::vector<quorin::dicom::ImageTimeline> timelines = quorin::dicom::TakeTimelines();
        figures.timelines.insert(figures.timelines.end(), timelines.begin(), timelines.end());
    }
    return run;
}

PathPairs::Run PathPairs::send(quint16 port, const QList<QStringList>& groups) const
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<RunningTool>> senders;
    const QStringList arguments = m_senderArguments + (port == m_ports.relay ? QStringList() : m_archiveArguments);
    for (const QStringList& files : groups)
        senders.push_back(StartStorescu(port, files, arguments));
    QList<ToolRun> runs;
    for (const auto& sender : senders)
        runs << sender->result(1800000);
    Run run;
    run.ms = timer.elapsed();
    for (const ToolRun& finished : runs) {
        if (!finished.succeeded())
            run.ms = -1;
        if (run.pduBytes == 0)
            run.pduBytes = AcceptedPduBytes(finished.output);
        run.imageUs << ImageMicroseconds(finished.output);
    }
    return run;
}

// How many files the archive holds; empties it for the next run.
int PathPairs::takeStored()
{
    const QStringList stored = m_archive.storedFiles();
    for (const QString& file : stored)
        QFile::remove(file);
    return int(stored.size());
}

PathPairs::Run PathPairs::sendDirect(const BenchCase& benchCase, CaseFigures& figures)
{
    const Run run = send(m_archive.port(), benchCase.groups);
    figures.allArrived &= run.ms >= 0 && takeStored() == FileCount(benchCase);
    return run;
}

PathPairs::Run PathPairs::sendThroughPipe(const BenchCase& benchCase, CaseFigures& figures)
{
    const Run run = send(m_ports.pipe, benchCase.groups);
    figures.allArrived &= run.ms >= 0 && takeStored() == FileCount(benchCase);
    return run;
}

PathPairs::Run PathPairs::sendThroughRelay(const BenchCase& benchCase, CaseFigures& figures)
{
    m_relay.resetCounts();
    ResetPeakResident();
    const quorin::dicom::RelayWayCounts before = quorin::dicom::CountedRelayWays();
    const Run run = send(m_ports.relay, benchCase.groups);
    ++figures.relayRuns;
    figures.relayPduBytes << run.pduBytes;
    figures.peakKiB = std::max(figures.peakKiB, PeakResidentKiB());
    const quorin::dicom::RelayWayCounts after = quorin::dicom::CountedRelayWays();
    figures.ways.cutThrough += after.cutThrough - before.cutThrough;
    figures.ways.storeAndForward += after.storeAndForward - before.storeAndForward;
    const int expected = FileCount(benchCase);
    figures.allArrived &= run.ms >= 0 && takeStored() == expected && m_relay.accepted() == expected
                          && m_relay.failed() == 0;
    return run;
}
