#include "dicom/internal/ArchiveTimeLimits.h"

#include "dicom/internal/NetworkTimeouts.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/dcmtrans.h>

#include <atomic>

namespace quorin::dicom {

namespace {
// Atomic: the workers read them while a test may set them.
std::atomic<int> g_acseSeconds{kAcseTimeoutSeconds};
std::atomic<int> g_dimseSeconds{kArchiveDimseTimeoutSeconds};
std::atomic<int> g_sendSeconds{kSocketSendTimeoutSeconds};
} // namespace

ArchiveTimeLimits archiveTimeLimits()
{
    return {g_acseSeconds, g_dimseSeconds, g_sendSeconds};
}

void setArchiveTimeLimits(ArchiveTimeLimits limits)
{
    g_acseSeconds = limits.acseSeconds;
    g_dimseSeconds = limits.dimseSeconds;
    g_sendSeconds = limits.sendSeconds;
    applySocketSendLimit();
}

void applySocketSendLimit()
{
    dcmSocketSendTimeout.set(g_sendSeconds);
}

ArchiveTimeLimits defaultArchiveTimeLimits()
{
    return {kAcseTimeoutSeconds, kArchiveDimseTimeoutSeconds, kSocketSendTimeoutSeconds};
}

} // namespace quorin::dicom
