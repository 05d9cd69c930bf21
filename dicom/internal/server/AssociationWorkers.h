#pragma once
// The threads that serve incoming connections, one per connection, shared by
// all listeners of the process and owned here: each is joined, none detached.
//
// A worker takes its connection off the listener's queue, reads the
// association request there and serves the association. The listener's
// thread only waits for connections and hands each to a new worker, so a
// connection that never speaks holds back nobody but its own worker.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace quorin::dicom {

class ImageHandOff;
class WorkerStop;

class AssociationWorkers {
public:
    // More concurrent senders than this are refused as a transient local
    // limit; each one holds a thread and, while relaying, an archive association.
    static constexpr int kMaxConcurrentAssociations = 16;
    // Connections that have not sent their association request yet; past
    // this the oldest of them is dropped, so a flood of silent connections
    // (port scanners, health checks, stuck clients) never locks senders out.
    static constexpr int kMaxWaitingConnections = 16;

    AssociationWorkers();
    // Ends every worker (see endAll).
    ~AssociationWorkers();
    AssociationWorkers(const AssociationWorkers&) = delete;
    AssociationWorkers& operator=(const AssociationWorkers&) = delete;

    // Listener thread, when a connection waits on `network`: starts a worker
    // that accepts it, and returns once the worker has taken it off the
    // queue (or found none). False when no worker could be started (ended,
    // or no thread to be had); the connection is then left waiting.
    // `listener` names the caller for releaseListener.
    bool acceptOne(T_ASC_Network* network, const std::shared_ptr<ImageHandOff>& images, const void* listener);

    // Drops the listener's connections that have not sent their request yet
    // and waits until no worker uses its network any more; associations
    // already accepted go on.
    void releaseListener(const void* listener);

    // Aborts every connection and association (the senders' and the
    // archive's) and joins every worker. Nothing is started afterwards.
    void endAll();

private:
    enum class Phase { Accepting, Requesting, Serving, Done };
    struct Worker;

    void run(Worker& worker, T_ASC_Network* network, std::shared_ptr<ImageHandOff> images);
    void enter(Worker& worker, Phase phase);
    bool startServing(Worker& worker);
    void dropOldestWaiting();
    void joinFinished();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::list<std::unique_ptr<Worker>> m_workers;
    std::uint64_t m_started = 0;
    bool m_ended = false;
};

} // namespace quorin::dicom
