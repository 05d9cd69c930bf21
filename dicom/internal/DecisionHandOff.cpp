#include "dicom/internal/DecisionHandOff.h"

#include "dicom/ToolkitImage.h"
#include "dicom/internal/CoalescingConnection.h"
#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/ListenerLink.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/WorkerStop.h"

#include <thread>

ToolkitImageChannel::ToolkitImageChannel(QString sopInstanceUid)
    : m_sopInstanceUid(std::move(sopInstanceUid))
{
}

bool ToolkitImageChannel::submitForward(ForwardRequest request)
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

void ToolkitImageChannel::release()
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

std::optional<ForwardRequest> ToolkitImageChannel::waitForDecision(std::chrono::milliseconds limit)
{
    watchForDecision();
    std::unique_lock lock(m_mutex);
    m_decided.wait_for(lock, limit, [this] { return m_state != State::Waiting; });
    m_state = State::Closed;
    return std::exchange(m_request, std::nullopt);
}

void ToolkitImageChannel::watchForDecision()
{
    const auto until = std::chrono::steady_clock::now() + kWatchBeforeSleeping;
    while (!m_settled.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until)
        std::this_thread::yield(); // lets the handler's thread run should it share this core
}

namespace quorin::dicom {

std::optional<ForwardRequest> awaitDecision(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                                            const QString& sopInstanceUid, WorkerStop& stop,
                                            const std::function<void()>& meanwhile)
{
    pushHeldWrites(); // nothing waits on this thread's sockets while it waits for the handler
    auto channel = std::make_shared<ToolkitImageChannel>(sopInstanceUid);
    if (!link.raise(std::move(connection), std::make_shared<ToolkitImage>(channel)))
        return std::nullopt;
    if (meanwhile)
        meanwhile();
    // A stop gives the image up as its handler would.
    stop.setWake([channel] { channel->release(); });
    std::optional<ForwardRequest> request = channel->waitForDecision(kImageDecisionTimeout);
    markTimeline(TimelineStage::DecisionBack);
    stop.setWake({});
    return request;
}

} // namespace quorin::dicom
