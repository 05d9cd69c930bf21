#include "dicom/internal/AssociationWorkers.h"

#include "dicom/internal/RelayAssociation.h"

#include <atomic>
#include <thread>

namespace quorin::dicom {

namespace {

std::atomic<int> g_active{0};

void serve(T_ASC_Association* association, const std::shared_ptr<ListenerLink>& link)
{
    try {
        RelayAssociation(link).serve(association);
    } catch (...) {
        // Nothing may escape a worker thread; the association is gone either way.
    }
    --g_active;
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

} // namespace quorin::dicom
