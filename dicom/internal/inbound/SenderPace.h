#pragma once
// How large a PDU each sender may send the relay: about kLagTarget's worth
// of its data, at the pace its earlier images arrived, since the relay runs
// one whole PDU behind its sender. One not seen yet gets the largest on this
// host and kFirstRemotePduBytes otherwise. Why: bench/README.md.

#include <chrono>
#include <cstdint>
#include <string>

namespace quorin::dicom {

inline constexpr std::chrono::microseconds kLagTarget{100};
inline constexpr unsigned kMinPduBytes = 4096; // the toolkit's least
inline constexpr unsigned kFirstRemotePduBytes = 16384;

// `sender`: its address and AE title, as one key.
unsigned PduBytesFor(const std::string& sender, bool onThisHost);

// What an image showed: the relay waited `waited` for `bytes` of its data set.
void RememberPace(const std::string& sender, std::uint64_t bytes, std::chrono::nanoseconds waited);

} // namespace quorin::dicom
