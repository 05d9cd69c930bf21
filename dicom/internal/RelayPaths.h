#pragma once
// Which way images go to the archive: cut-through (passed on while they
// arrive) or store and forward (received whole, then sent). Cut-through is
// the relay's way wherever it is safe; the switch is a test hook that keeps
// the other way proven. The counts are for benchmarks and tests.

#include <cstdint>

namespace quorin::dicom {

enum class RelayPath { CutThrough, StoreAndForward };

struct RelayPathCounts {
    std::uint64_t cutThrough = 0;
    std::uint64_t storeAndForward = 0;
};

// Test hook: off sends every image by store and forward from the next
// image on; on restores the default.
void setCutThroughEnabled(bool enabled);
bool cutThroughEnabled();

// Images forwarded so far (whatever the outcome), per way.
RelayPathCounts relayPathCounts();
void countRelayPath(RelayPath path);

} // namespace quorin::dicom
