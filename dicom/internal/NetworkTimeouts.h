#pragma once
// Time limits of the relay's network work. Each one bounds a wait that would
// otherwise hang a worker (and its sender) forever when a peer goes silent.

#include <chrono>

namespace quorin::dicom {

// Opening a TCP connection to the archive.
inline constexpr int kConnectTimeoutSeconds = 10;
// Association negotiation and release with the archive.
inline constexpr int kAcseTimeoutSeconds = 30;
// How long the listener waits for a new connection's association request.
// The listener reads requests one at a time, so a connection that never
// speaks holds back other senders for this long; a real sender sends its
// request right after connecting.
inline constexpr int kAssociationRequestTimeoutSeconds = 5;
// One network read or write within a message to the archive; the archive's
// answer to a large image can take a while after the last byte.
inline constexpr int kArchiveDimseTimeoutSeconds = 60;
// How long a sender may stay silent on an open association (between images
// or within one) before the relay gives up on it.
inline constexpr int kSenderIdleTimeoutSeconds = 300;
// How long a received image may wait for its handler's decision.
inline constexpr std::chrono::minutes kImageDecisionTimeout{10};

// Largest PDU the toolkit handles; larger PDUs mean fewer round trips.
inline constexpr unsigned kMaxPduBytes = 131072;

} // namespace quorin::dicom
