#include "dicom/internal/ToolkitImageChannel.h"

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
    }
    m_decided.notify_all();
}

std::optional<ForwardRequest> ToolkitImageChannel::waitForDecision(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    m_decided.wait_for(lock, limit, [this] { return m_state != State::Waiting; });
    m_state = State::Closed;
    return std::exchange(m_request, std::nullopt);
}
