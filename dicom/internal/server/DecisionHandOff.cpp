#include "dicom/internal/server/DecisionHandOff.h"

#include "dicom/internal/CoalescingConnection.h"
#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/WorkerStop.h"
#include "dicom/internal/server/ImageHandOff.h"

#include <thread>

namespace quorin::dicom {

DecisionHandOff::DecisionHandOff(QString sopInstanceUid)
    : m_sopInstanceUid(std::move(sopInstanceUid))
{
}

bool DecisionHandOff::submitForward(ForwardRequest request)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Waiting)
            return false;
        m_request = std::move(request);
        m_state = State::ForwardRequested;
        m_settled.store(true, std::memory_order_release);
    }
    m_decided.notify_all();
    return true;
}

void DecisionHandOff::release()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Waiting)
            return;
        m_state = State::Released;
        m_settled.store(true, std::memory_order_release);
    }
    m_decided.notify_all();
}

std::optional<ForwardRequest> DecisionHandOff::waitForDecision(std::chrono::milliseconds limit)
{
    watchForDecision();
    std::unique_lock lock(m_mutex);
    m_decided.wait_for(lock, limit, [this] { return m_state != State::Waiting; });
    m_state = State::Closed;
    return std::exchange(m_request, std::nullopt);
}

void DecisionHandOff::watchForDecision()
{
    const auto until = std::chrono::steady_clock::now() + kWatchBeforeSleeping;
    while (!m_settled.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until)
        std::this_thread::yield(); // lets the handler's thread run should it share this core
}

std::optional<ForwardRequest> AwaitDecision(ImageHandOff& images, std::shared_ptr<ToolkitConnection> connection,
                                            const QString& sopInstanceUid, WorkerStop& stop,
                                            const std::function<void()>& meanwhile)
{
    PushHeldWrites(); // nothing waits on this thread's sockets while it waits for the handler
    auto decision = std::make_shared<DecisionHandOff>(sopInstanceUid);
    if (!images.raise(std::move(connection), decision))
        return std::nullopt;
    if (meanwhile)
        meanwhile();
    // A stop gives the image up as its handler would.
    stop.setWake([decision] { decision->release(); });
    std::optional<ForwardRequest> request = decision->waitForDecision(kImageDecisionTimeout);
    MarkTimeline(TimelineStage::DecisionBack);
    stop.setWake({});
    return request;
}

} // namespace quorin::dicom
