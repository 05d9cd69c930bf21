#include "dicom/internal/TimeLimits.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/dcmtrans.h>
#include <dcmtk/dcmnet/dul.h>

#include <atomic>

namespace quorin::dicom {

namespace {

// Atomic: the workers read them while a test may set them.
std::atomic<int> g_acseSeconds{kAcseTimeoutSeconds};
std::atomic<int> g_dimseSeconds{kArchiveDimseTimeoutSeconds};
std::atomic<int> g_sendSeconds{kSocketSendTimeoutSeconds};

void ApplySocketSendLimit()
{
    dcmSocketSendTimeout.set(g_sendSeconds);
}

} // namespace

ArchiveTimeLimits CurrentArchiveTimeLimits()
{
    return {g_acseSeconds, g_dimseSeconds, g_sendSeconds};
}

void SetArchiveTimeLimits(ArchiveTimeLimits limits)
{
    g_acseSeconds = limits.acseSeconds;
    g_dimseSeconds = limits.dimseSeconds;
    g_sendSeconds = limits.sendSeconds;
    ApplySocketSendLimit();
}

ArchiveTimeLimits DefaultArchiveTimeLimits()
{
    return {kAcseTimeoutSeconds, kArchiveDimseTimeoutSeconds, kSocketSendTimeoutSeconds};
}

void ApplyToolkitTimeLimits()
{
    // Without it a connect to an unreachable archive blocks indefinitely.
    dcmConnectionTimeout.set(kConnectTimeoutSeconds);
    // The toolkit's own write limit (60 s) would let a stalled archive
    // outlast the sender's patience.
    ApplySocketSendLimit();
}

} // namespace quorin::dicom
