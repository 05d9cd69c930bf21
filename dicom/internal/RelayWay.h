#pragma once
// The way an image goes to the archive: cut-through (passed on fragment by
// fragment while it arrives) or store and forward (received whole, then
// sent). Cut-through is the relay's way wherever it is safe; the switch is a
// test hook that keeps the other way proven. The counts are for benchmarks
// and tests.

#include <cstdint>

namespace quorin::dicom {

// Per image, settled before its first byte goes to the archive.
enum class RelayWay { CutThrough, StoreAndForward };

struct RelayWayCounts {
    std::uint64_t cutThrough = 0;
    std::uint64_t storeAndForward = 0;
};

// Test hook: off sends every image by store and forward from the next
// image on; on restores the default.
void SetCutThroughEnabled(bool enabled);
bool CutThroughEnabled();

// Images forwarded so far (whatever the outcome), per way.
RelayWayCounts CountedRelayWays();
void CountRelayWay(RelayWay way);

} // namespace quorin::dicom
