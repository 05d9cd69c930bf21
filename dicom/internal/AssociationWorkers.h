#pragma once
// The threads that serve accepted associations, one per association, shared
// by all listeners of the process.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <chrono>
#include <memory>

namespace quorin::dicom {

class ListenerLink;

class AssociationWorkers {
public:
    // More concurrent senders than this are refused as a transient local
    // limit; each one holds a thread and, while relaying, an archive association.
    static constexpr int kMaxConcurrentAssociations = 16;

    // Runs the association on a new thread, which owns it from then on.
    // False (association untouched) when the limit is reached.
    static bool start(T_ASC_Association* association, std::shared_ptr<ListenerLink> link);

    // Associations being served now.
    static int active();

    // Waits until no association is served or `limit` passed; for the end of
    // the process, so workers that are about to finish are not cut off.
    static void waitUntilIdle(std::chrono::milliseconds limit);
};

} // namespace quorin::dicom
