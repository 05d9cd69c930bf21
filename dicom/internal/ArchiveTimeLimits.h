#pragma once
// The relay's waits on the archive: negotiation (ACSE) and the answer to a
// store (DIMSE). The values of NetworkTimeouts.h, unless a test shortened
// them: a test of an archive that never answers would otherwise wait
// minutes per image. Read at each new archive association.

namespace quorin::dicom {

struct ArchiveTimeLimits {
    int acseSeconds;
    int dimseSeconds;
};

ArchiveTimeLimits archiveTimeLimits();

// Test hook: the limits for archive associations opened from now on;
// setArchiveTimeLimits(defaultArchiveTimeLimits()) restores them.
void setArchiveTimeLimits(ArchiveTimeLimits limits);
ArchiveTimeLimits defaultArchiveTimeLimits();

} // namespace quorin::dicom
