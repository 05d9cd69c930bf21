#include "dicom/internal/ArchiveTimeLimits.h"

#include "dicom/internal/NetworkTimeouts.h"

#include <atomic>

namespace quorin::dicom {

namespace {
// Atomic: the workers read them while a test may set them.
std::atomic<int> g_acseSeconds{kAcseTimeoutSeconds};
std::atomic<int> g_dimseSeconds{kArchiveDimseTimeoutSeconds};
} // namespace

ArchiveTimeLimits archiveTimeLimits()
{
    return {g_acseSeconds, g_dimseSeconds};
}

void setArchiveTimeLimits(ArchiveTimeLimits limits)
{
    g_acseSeconds = limits.acseSeconds;
    g_dimseSeconds = limits.dimseSeconds;
}

ArchiveTimeLimits defaultArchiveTimeLimits()
{
    return {kAcseTimeoutSeconds, kArchiveDimseTimeoutSeconds};
}

} // namespace quorin::dicom
