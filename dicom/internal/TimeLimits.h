#pragma once
// Every time limit of the relay's network work. Each one bounds a wait that
// would otherwise hang a worker (and its sender) forever when a peer goes
// silent.

#include <chrono>

namespace quorin::dicom {

// Opening a TCP connection to the archive.
inline constexpr int kConnectTimeoutSeconds = 10;
// Association negotiation and release with the archive.
inline constexpr int kAcseTimeoutSeconds = 30;
// How long a new connection's worker waits for its association request; a
// real sender sends it right after connecting. A connection that never
// speaks holds only its own worker (see AssociationWorkers).
inline constexpr int kAssociationRequestTimeoutSeconds = 5;
// A sender commonly gives up 60 s after its last byte without an answer;
// the relay must tell it of a failed forward before that. So each wait on
// the archive is at most half of it, and a wait that ran out is never
// followed by another one for the same image.
// The archive's answer to a store; it can take a while after the last byte
// of a large image.
inline constexpr int kArchiveDimseTimeoutSeconds = 30;
// One socket write that does not progress (a peer that stopped reading).
// The toolkit applies it to every connection, the senders' included.
inline constexpr int kSocketSendTimeoutSeconds = 30;
// How long a sender may stay silent on an open association (between images
// or within one) before the relay gives up on it.
inline constexpr int kSenderIdleTimeoutSeconds = 300;
// How long a received image may wait for its handler's decision.
inline constexpr std::chrono::minutes kImageDecisionTimeout{10};

// The relay's waits on the archive: negotiation (ACSE), the answer to a
// store (DIMSE) and a socket write that does not progress. The values
// above, unless a test shortened them: a test of an archive that never
// answers would otherwise wait half a minute per image. Read at each new
// archive association; the write limit is the toolkit's process-wide one,
// so it holds for every connection made from then on.
struct ArchiveTimeLimits {
    int acseSeconds;
    int dimseSeconds;
    int sendSeconds;
};

ArchiveTimeLimits CurrentArchiveTimeLimits();

// Test hook: the limits for archive associations opened from now on;
// setArchiveTimeLimits(defaultArchiveTimeLimits()) restores them.
void SetArchiveTimeLimits(ArchiveTimeLimits limits);
ArchiveTimeLimits DefaultArchiveTimeLimits();

// Hands the toolkit its process-wide limits, the connect and the write
// limit; done once at its set-up.
void ApplyToolkitTimeLimits();

} // namespace quorin::dicom
