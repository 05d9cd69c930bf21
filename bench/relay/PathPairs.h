#pragma once
// One case timed through both paths: storescu straight into storescp
// (direct), and through the relay into the same storescp. One untimed run
// of each first (caches, threads and folders warm), then timed pairs whose
// order alternates, so neither path always meets the warmer cache or the
// quieter moment of a shared machine.

#include "MinimalRelay.h"
#include "ProcessFigures.h"

#include "ArchivePeers.h"
#include "dicom/internal/ImageTimeline.h"

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

int fileCount(const BenchCase& benchCase);

// The figures of one case over its timed pairs.
struct CaseFigures {
    QList<qint64> directMs;
    QList<qint64> relayMs;
    QList<double> ratios;
    // Per image: its time through the relay less its time direct, as the
    // sender saw them (request to answer), image i against image i.
    QList<qint64> addedUs;
    std::vector<quorin::dicom::ImageTimeline> timelines; // of the timed relay runs
    qint64 relayedBytesPerRun = 0; // the files' sizes
    int relayRuns = 0;             // timed and untimed
    QList<int> relayPduBytes;      // per relay run, untimed first
    qint64 peakKiB = 0;     // highest peak of the process over the relay runs
    quint64 cutThrough = 0; // images relayed cut-through, of
    quint64 relayed = 0;    // images relayed either way
    bool allArrived = true;
    CpuSpent directCpu; // over the timed runs
    CpuSpent relayCpu;
};

class PathPairs {
public:
    PathPairs(quorin::test::StorescpArchive& archive, MinimalRelay& relay, quint16 relayPort,
              QStringList senderArguments);

    CaseFigures run(const BenchCase& benchCase, int repeats);

private:
    struct Run {
        qint64 ms = -1; // -1: a sender failed
        QList<qint64> imageUs;
        int pduBytes = 0; // the largest the first sender was let send
    };

    Run timed(bool throughRelay, const BenchCase& benchCase, CaseFigures& figures);
    Run send(quint16 port, const QList<QStringList>& groups) const;
    int takeStored();
    Run sendDirect(const BenchCase& benchCase, CaseFigures& figures);
    Run sendThroughRelay(const BenchCase& benchCase, CaseFigures& figures);

    quorin::test::StorescpArchive& m_archive;
    MinimalRelay& m_relay;
    quint16 m_relayPort;
    QStringList m_senderArguments;
};
