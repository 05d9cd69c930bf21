#include "dicom/internal/RelayWay.h"

#include <atomic>

namespace quorin::dicom {

namespace {
// Atomic: workers read and count while a test or benchmark switches or reads.
std::atomic<bool> g_cutThrough{true};
std::atomic<std::uint64_t> g_cutThroughCount{0};
std::atomic<std::uint64_t> g_storeAndForwardCount{0};
} // namespace

void SetCutThroughEnabled(bool enabled)
{
    g_cutThrough = enabled;
}

bool CutThroughEnabled()
{
    return g_cutThrough;
}

RelayWayCounts CountedRelayWays()
{
    return {g_cutThroughCount, g_storeAndForwardCount};
}

void CountRelayWay(RelayWay way)
{
    ++(way == RelayWay::CutThrough ? g_cutThroughCount : g_storeAndForwardCount);
}

} // namespace quorin::dicom
