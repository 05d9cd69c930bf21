#include "PathPairs.h"

#include "DicomTools.h"
#include "SenderLog.h"
#include "dicom/internal/RelayPaths.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>


using namespace quorin::test;

int fileCount(const BenchCase& benchCase)
{
    int count = 0;
    for (const QStringList& group : benchCase.groups)
        count += group.size();
    return count;
}

PathPairs::PathPairs(StorescpArchive& archive, MinimalRelay& relay, quint16 relayPort, QStringList senderArguments)
    : m_archive(archive)
    , m_relay(relay)
    , m_relayPort(relayPort)
    , m_senderArguments(std::move(senderArguments))
{
}

CaseFigures PathPairs::run(const BenchCase& benchCase, int repeats)
{
    CaseFigures figures;
    for (const QStringList& group : benchCase.groups) {
        for (const QString& file : group)
            figures.relayedBytesPerRun += QFileInfo(file).size();
    }
    sendDirect(benchCase, figures); // warm-up: untimed, but what arrives counts
    sendThroughRelay(benchCase, figures);
    quorin::dicom::takeTimelines();
    for (int i = 0; i < repeats; ++i) {
        const bool relayFirst = i % 2 == 1;
        const Run first = timed(relayFirst, benchCase, figures);
        const Run second = timed(!relayFirst, benchCase, figures);
        const Run& direct = relayFirst ? second : first;
        const Run& relay = relayFirst ? first : second;
        figures.directMs << direct.ms;
        figures.relayMs << relay.ms;
        figures.ratios << (direct.ms > 0 && relay.ms > 0 ? double(relay.ms) / double(direct.ms) : 0.0);
        for (qsizetype image = 0; image < std::min(direct.imageUs.size(), relay.imageUs.size()); ++image)
            figures.addedUs << relay.imageUs[image] - direct.imageUs[image];
    }
    return figures;
}

PathPairs::Run PathPairs::timed(bool throughRelay, const BenchCase& benchCase, CaseFigures& figures)
{
    const CpuMeter meter;
    const Run run = throughRelay ? sendThroughRelay(benchCase, figures) : sendDirect(benchCase, figures);
    meter.addTo(throughRelay ? figures.relayCpu : figures.directCpu);
    if (throughRelay) {
        const std::vector<quorin::dicom::ImageTimeline> timelines = quorin::dicom::takeTimelines();
        figures.timelines.insert(figures.timelines.end(), timelines.begin(), timelines.end());
    }
    return run;
}

PathPairs::Run PathPairs::send(quint16 port, const QList<QStringList>& groups) const
{
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<RunningTool>> senders;
    for (const QStringList& files : groups)
        senders.push_back(startStorescu(port, files, m_senderArguments));
    QList<ToolRun> runs;
    for (const auto& sender : senders)
        runs << sender->result(1800000);
    Run run;
    run.ms = timer.elapsed();
    for (const ToolRun& finished : runs) {
        if (!finished.succeeded())
            run.ms = -1;
        if (run.pduBytes == 0)
            run.pduBytes = acceptedPduBytes(finished.output);
        run.imageUs << imageMicroseconds(finished.output);
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
    figures.allArrived &= run.ms >= 0 && takeStored() == fileCount(benchCase);
    return run;
}

PathPairs::Run PathPairs::sendThroughRelay(const BenchCase& benchCase, CaseFigures& figures)
{
    m_relay.resetCounts();
    resetPeakResident();
    const quorin::dicom::RelayPathCounts before = quorin::dicom::relayPathCounts();
    const Run run = send(m_relayPort, benchCase.groups);
    ++figures.relayRuns;
    figures.relayPduBytes << run.pduBytes;
    figures.peakKiB = std::max(figures.peakKiB, peakResidentKiB());
    const quorin::dicom::RelayPathCounts after = quorin::dicom::relayPathCounts();
    figures.cutThrough += after.cutThrough - before.cutThrough;
    figures.relayed += after.cutThrough - before.cutThrough + after.storeAndForward - before.storeAndForward;
    const int expected = fileCount(benchCase);
    figures.allArrived &= run.ms >= 0 && takeStored() == expected && m_relay.accepted() == expected
                          && m_relay.failed() == 0;
    return run;
}
