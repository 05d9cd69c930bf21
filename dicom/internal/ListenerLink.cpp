#include "dicom/internal/ListenerLink.h"

#include "dicom/ToolkitServer.h"

namespace quorin::dicom {

ListenerLink::ListenerLink(ToolkitServer* owner)
    : m_owner(owner)
{
}

void ListenerLink::setOwner(ToolkitServer* owner)
{
    std::lock_guard lock(m_mutex);
    m_owner = owner;
}

ToolkitServer* ListenerLink::owner() const
{
    std::lock_guard lock(m_mutex);
    return m_owner;
}

void ListenerLink::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_owner = nullptr;
}

bool ListenerLink::raisesTo(const ToolkitServer* server) const
{
    std::lock_guard lock(m_mutex);
    return m_open && m_owner == server;
}

bool ListenerLink::raise(std::shared_ptr<ToolkitConnection> connection, std::shared_ptr<ToolkitImage> image)
{
    // The lock keeps the owner alive while the call is queued: a server
    // object clears itself from here (under this lock) before it is destroyed.
    std::lock_guard lock(m_mutex);
    if (!m_open || !m_owner)
        return false;
    ToolkitServer* server = m_owner;
    auto self = shared_from_this();
    return QMetaObject::invokeMethod(
        server,
        [self, server, connection = std::move(connection), image = std::move(image)]() mutable {
            if (self->raisesTo(server) && server->serverFlag())
                emit server->ImageReceivedAsync(connection, image);
            // Whatever the handler did not keep is let go here.
            image.reset();
        },
        Qt::QueuedConnection);
}

} // namespace quorin::dicom
