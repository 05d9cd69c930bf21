#include "dicom/internal/SenderPace.h"

#include "dicom/internal/NetworkTimeouts.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace quorin::dicom {

namespace {

// Senders remembered at most; the one seen first is forgotten first.
constexpr std::size_t kSendersKept = 256;

struct Paces {
    std::mutex mutex;
    std::unordered_map<std::string, double> bytesPerSecond;
    std::deque<std::string> order;
};

Paces& paces()
{
    static Paces kept;
    return kept;
}

unsigned pduBytesAt(double bytesPerSecond)
{
    const double wanted = bytesPerSecond * std::chrono::duration<double>(kLagTarget).count();
    const auto bytes = unsigned(std::clamp(wanted, double(kMinPduBytes), double(kMaxPduBytes)));
    return bytes / kMinPduBytes * kMinPduBytes;
}

} // namespace

unsigned pduBytesFor(const std::string& sender, bool onThisHost)
{
    Paces& kept = paces();
    std::lock_guard lock(kept.mutex);
    const auto known = kept.bytesPerSecond.find(sender);
    if (known != kept.bytesPerSecond.end())
        return pduBytesAt(known->second);
    return onThisHost ? kMaxPduBytes : kFirstRemotePduBytes;
}

void rememberPace(const std::string& sender, std::uint64_t bytes, std::chrono::nanoseconds took)
{
    if (took.count() <= 0)
        return;
    const double pace = double(bytes) / std::chrono::duration<double>(took).count();
    Paces& kept = paces();
    std::lock_guard lock(kept.mutex);
    const auto [entry, added] = kept.bytesPerSecond.try_emplace(sender, pace);
    if (!added) {
        entry->second = 0.75 * entry->second + 0.25 * pace; // one odd image moves it a little
        return;
    }
    kept.order.push_back(sender);
    if (kept.order.size() > kSendersKept) {
        kept.bytesPerSecond.erase(kept.order.front());
        kept.order.pop_front();
    }
}

} // namespace quorin::dicom
