#pragma once
// One case timed through each path: storescu straight into storescp
// (direct), through the relay into the same storescp, and through a plain
// TCP pipe in the relay's place (the floor of any relay, TcpPipe.h). One
// untimed run of each first (caches, threads and folders warm), then timed
// rounds whose order turns, so no path always meets the warmer cache or
// the quieter moment of a shared machine.

#include "MinimalRelay.h"
#include "ProcessFigures.h"
#include "TcpPipe.h"

#include "ArchivePeers.h"
#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/RelayWay.h"

#include <QList>
#include <QStringList>
#include <vector>

// What one case sends: file groups, each on its own association, all at once.
struct BenchCase {
    QString title;
    QList<QStringList> groups;
    double ratioLimit = 0;      // relay/direct, median of the pairs; 0: none
    qint64 addedLimitUs = 0;    // time added per image, median; 0: none
};

int FileCount(const BenchCase& benchCase);

// The figures of one case over its timed pairs.
struct CaseFigures {
    QList<qint64> directMs;
    QList<qint64> relayMs;
    QList<qint64> pipeMs;
    QList<double> ratios;     // relay/direct, per round
    QList<double> pipeRatios; // pipe/direct
    // Per image: its time through the relay (or the pipe) less its time
    // direct, as the sender saw them (request to answer), image i against
    // image i of the same round.
    QList<qint64> addedUs;
    QList<qint64> pipeAddedUs;
    std::vector<quorin::dicom::ImageTimeline> timelines; // of the timed relay runs
    qint64 relayedBytesPerRun = 0; // the files' sizes
    int relayRuns = 0;             // timed and untimed
    QList<int> relayPduBytes;      // per relay run, untimed first
    qint64 peakKiB = 0;     // highest peak of the process over the relay runs
    quorin::dicom::RelayWayCounts ways; // images relayed each way
    bool allArrived = true;
    CpuSpent directCpu; // over the timed runs
    CpuSpent relayCpu;
};

// Where the relay and the pipe listen.
struct PathPorts {
    quint16 relay = 0;
    quint16 pipe = 0;
};

class PathPairs {
public:
    // `archiveArguments`: what the sender adds where it reaches the archive
    // itself (directly, or through the pipe): its TLS, when the archive's.
    PathPairs(quorin::test::StorescpArchive& archive, MinimalRelay& relay, PathPorts ports,
              QStringList senderArguments, QStringList archiveArguments = {});

    bool openPipe() { return m_pipe.open(m_ports.pipe); }
    CaseFigures run(const BenchCase& benchCase, int repeats);

private:
    enum class Path { Direct, Relay, Pipe };
    struct Run {
        qint64 ms = -1; // -1: a sender failed
        QList<qint64> imageUs;
        int pduBytes = 0; // the largest the first sender was let send
    };

    Run timed(Path path, const BenchCase& benchCase, CaseFigures& figures);
    Run send(quint16 port, const QList<QStringList>& groups) const;
    int takeStored();
    Run sendDirect(const BenchCase& benchCase, CaseFigures& figures);
    Run sendThroughPipe(const BenchCase& benchCase, CaseFigures& figures);
    Run sendThroughRelay(const BenchCase& benchCase, CaseFigures& figures);

    quorin::test::StorescpArchive& m_archive;
    MinimalRelay& m_relay;
    PathPorts m_ports;
    TcpPipe m_pipe;
    QStringList m_senderArguments;
    QStringList m_archiveArguments;
};
