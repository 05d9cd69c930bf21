#include "dicom/internal/inbound/SenderPace.h"

#include "dicom/internal/ToolkitSetup.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace quorin::dicom {

namespace {

// Senders remembered at most; the one seen first is forgotten first.
constexpr std::size_t kSendersKept = 256;

// Kept as time per byte, so that a slow image weighs more than a fast
// one: too large a PDU on a slow link costs far more than too small a
// PDU on a fast one.
struct Paces {
    std::mutex mutex;
    std::unordered_map<std::string, double> secondsPerByte;
    std::deque<std::string> order;
};

Paces& KnownPaces()
{
    static Paces kept;
    return kept;
}

unsigned PduBytesAt(double secondsPerByte)
{
    const double wanted = std::chrono::duration<double>(kLagTarget).count() / secondsPerByte;
    const auto bytes = unsigned(std::clamp(wanted, double(kMinPduBytes), double(kMaxPduBytes)));
    return bytes / kMinPduBytes * kMinPduBytes;
}

} // namespace

unsigned PduBytesFor(const std::string& sender, bool onThisHost)
{
    Paces& kept = KnownPaces();
    std::lock_guard lock(kept.mutex);
    const auto known = kept.secondsPerByte.find(sender);
    if (known != kept.secondsPerByte.end())
        return PduBytesAt(known->second);
    return onThisHost ? kMaxPduBytes : kFirstRemotePduBytes;
}

void RememberPace(const std::string& sender, std::uint64_t bytes, std::chrono::nanoseconds waited)
{
    if (bytes == 0)
        return;
    const double pace = std::chrono::duration<double>(std::max(waited, std::chrono::nanoseconds(1))).count()
                        / double(bytes);
    Paces& kept = KnownPaces();
    std::lock_guard lock(kept.mutex);
    const auto [entry, added] = kept.secondsPerByte.try_emplace(sender, pace);
    if (!added) {
        entry->second = 0.75 * entry->second + 0.25 * pace;
        return;
    }
    kept.order.push_back(sender);
    if (kept.order.size() > kSendersKept) {
        kept.secondsPerByte.erase(kept.order.front());
        kept.order.pop_front();
    }
}

} // namespace quorin::dicom
