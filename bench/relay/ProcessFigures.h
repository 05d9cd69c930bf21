#pragma once
// What the parties of a run cost the machine: the relay process's peak
// memory, and the CPU time of the relay (this process), the senders (its
// finished children) and the archive (storescp, a child still running).

#include <QtGlobal>

qint64 PeakResidentKiB();
void ResetPeakResident();

// CPU spent by each party during the timed runs of one path.
struct CpuSpent {
    qint64 relayMs = 0;
    qint64 relaySystemMs = 0; // of relayMs, in the kernel
    qint64 senderMs = 0;
    qint64 archiveMs = 0;
};

// Adds what each party spent between its construction and addTo().
class CpuMeter {
public:
    CpuMeter();
    void addTo(CpuSpent& spent) const;

private:
    qint64 m_self;
    qint64 m_selfSystem;
    qint64 m_children;
    qint64 m_archive;
};
