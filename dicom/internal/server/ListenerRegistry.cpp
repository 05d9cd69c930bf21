#include "dicom/internal/server/ListenerRegistry.h"

#include "dicom/internal/server/ImageHandOff.h"
#include "dicom/internal/inbound/ReceivedDataSet.h"
#include "dicom/internal/server/Listener.h"

#include <QCoreApplication>

namespace quorin::dicom {

ListenerRegistry& ListenerRegistry::instance()
{
    static ListenerRegistry* const registry = [] {
        qAddPostRoutine([] { instance().shutdown(); });
        return new ListenerRegistry;
    }();
    return *registry;
}

void ListenerRegistry::shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
        m_listeners.clear();
    }
    m_workers.endAll();
    // Every received image's file went with its worker.
    ReceivedDataSet::removeTemporaryFolder();
}

bool ListenerRegistry::open(int port, ToolkitServer* owner)
{
    std::lock_guard lock(m_mutex);
    if (m_shutDown)
        return false;
    if (auto found = m_listeners.find(port); found != m_listeners.end()) {
        found->second->images().setOwner(owner);
        return true;
    }
    std::unique_ptr<Listener> listener = Listener::open(port, std::make_shared<ImageHandOff>(owner), m_workers);
    if (!listener)
        return false;
    m_listeners.emplace(port, std::move(listener));
    return true;
}

void ListenerRegistry::close(int port)
{
    std::lock_guard lock(m_mutex);
    m_listeners.erase(port);
}

void ListenerRegistry::closeOwnedBy(const ToolkitServer* owner)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_listeners, [owner](const auto& entry) { return entry.second->images().owner() == owner; });
}

std::vector<int> ListenerRegistry::ports()
{
    std::lock_guard lock(m_mutex);
    std::vector<int> result;
    for (const auto& entry : m_listeners)
        result.push_back(entry.first);
    return result;
}

} // namespace quorin::dicom
