#pragma once
// How large a PDU each sender may send the relay. The toolkit reads a PDU
// whole before the relay can pass any of it on, so the relay runs one PDU
// behind its sender, and at an image's end the last PDU crosses the link
// to the archive alone (128 KB: 1 ms at 1 Gbit/s, 250 ms at 4 Mbit/s).
// Small PDUs keep the relay close behind, but each costs the sender and the
// relay a few system calls, which counts where the link is faster than the
// machine (a sender on this host). So a sender gets about kLagTarget's
// worth of data per PDU, at the pace its earlier images arrived; one not
// seen yet gets the largest when it is on this host (its link is memory)
// and kFirstRemotePduBytes otherwise.

#include <chrono>
#include <cstdint>
#include <string>

namespace quorin::dicom {

inline constexpr std::chrono::microseconds kLagTarget{100};
inline constexpr unsigned kMinPduBytes = 4096; // the toolkit's least
inline constexpr unsigned kFirstRemotePduBytes = 16384;

// `sender`: its address and AE title, as one key.
unsigned pduBytesFor(const std::string& sender, bool onThisHost);

// What an image showed: the relay waited `waited` for `bytes` of its data set.
void rememberPace(const std::string& sender, std::uint64_t bytes, std::chrono::nanoseconds waited);

} // namespace quorin::dicom
