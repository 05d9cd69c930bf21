#include "dicom/internal/server/ImageHandOff.h"

#include "dicom/ToolkitImage.h"
#include "dicom/ToolkitServer.h"

namespace quorin::dicom {

ImageHandOff::ImageHandOff(ToolkitServer* owner)
    : m_owner(owner)
{
}

void ImageHandOff::setOwner(ToolkitServer* owner)
{
    std::lock_guard lock(m_mutex);
    m_owner = owner;
}

ToolkitServer* ImageHandOff::owner() const
{
    std::lock_guard lock(m_mutex);
    return m_owner;
}

void ImageHandOff::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_owner = nullptr;
}

bool ImageHandOff::raisesTo(const ToolkitServer* server) const
{
    std::lock_guard lock(m_mutex);
    return m_open && m_owner == server;
}

bool ImageHandOff::raise(std::shared_ptr<ToolkitConnection> connection, std::shared_ptr<DecisionHandOff> decision)
{
    // Made before anything can fail: an image not raised is let go with it.
    auto image = std::make_shared<ToolkitImage>(std::move(decision));
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
