#include "dicom/internal/AssociationWorkers.h"

#include "dicom/internal/RelayAssociation.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorin::dicom {

namespace {

std::atomic<int> g_active{0};
std::mutex g_idleMutex;
std::condition_variable g_idle;

void finished()
{
    std::lock_guard lock(g_idleMutex);
    --g_active;
    g_idle.notify_all();
}

void serve(T_ASC_Association* association, const std::shared_ptr<ListenerLink>& link)
{
    try {
        RelayAssociation(link).serve(association);
    } catch (...) {
        // Nothing may escape a worker thread; the association is gone either way.
    }
    finished();
}

} // namespace

bool AssociationWorkers::start(T_ASC_Association* association, std::shared_ptr<ListenerLink> link)
{
    if (++g_active > kMaxConcurrentAssociations) {
        --g_active;
        return false;
    }
    try {
        // Detached: an association may outlive its listener, and the process
        // must not wait for a sender when it ends.
        std::thread(serve, association, std::move(link)).detach();
    } catch (...) {
        --g_active;
        return false;
    }
    return true;
}

int AssociationWorkers::active()
{
    return g_active;
}

void AssociationWorkers::waitUntilIdle(std::chrono::milliseconds limit)
{
    std::unique_lock lock(g_idleMutex);
    g_idle.wait_for(lock, limit, [] { return g_active <= 0; });
}

} // namespace quorin::dicom
