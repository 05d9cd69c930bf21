#pragma once
// The relay's waits on the archive: negotiation (ACSE), the answer to a
// store (DIMSE) and a socket write that does not progress. The values of
// NetworkTimeouts.h, unless a test shortened them: a test of an archive that
// never answers would otherwise wait half a minute per image. Read at each
// new archive association; the write limit is the toolkit's process-wide
// one, so it holds for every connection made from then on.

namespace quorin::dicom {

struct ArchiveTimeLimits {
    int acseSeconds;
    int dimseSeconds;
    int sendSeconds;
};

ArchiveTimeLimits archiveTimeLimits();

// Test hook: the limits for archive associations opened from now on;
// setArchiveTimeLimits(defaultArchiveTimeLimits()) restores them.
void setArchiveTimeLimits(ArchiveTimeLimits limits);
ArchiveTimeLimits defaultArchiveTimeLimits();

// Hands the write limit to the toolkit; done once at its set-up.
void applySocketSendLimit();

} // namespace quorin::dicom
