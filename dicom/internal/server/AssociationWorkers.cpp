#include "dicom/internal/server/AssociationWorkers.h"

#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/ToolkitSetup.h"
#include "dicom/internal/WorkerStop.h"
#include "dicom/internal/server/RelayAssociation.h"

#include <algorithm>

namespace quorin::dicom {

struct AssociationWorkers::Worker {
    WorkerStop stop;
    // The listener whose network the worker may still use (while it takes
    // its connection and reads the request); null afterwards.
    const void* listener = nullptr;
    Phase phase = Phase::Accepting;
    std::uint64_t number = 0; // order of arrival
    bool dropped = false;
    std::thread thread;
};

namespace {

void Discard(T_ASC_Association*& association, const OFCondition& why)
{
    if (!association)
        return;
    // After a mere timeout there is no connection to drop.
    if (why != DUL_NOASSOCIATIONREQUEST)
        ASC_dropAssociation(association);
    ASC_destroyAssociation(&association);
}

void RefuseAsBusy(T_ASC_Association*& association)
{
    T_ASC_RejectParameters rejection{ASC_RESULT_REJECTEDTRANSIENT,
                                     ASC_SOURCE_SERVICEPROVIDER_PRESENTATION_RELATED,
                                     ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED};
    ASC_rejectAssociation(association, &rejection);
    Discard(association, EC_Normal);
}

} // namespace

AssociationWorkers::AssociationWorkers() = default;

AssociationWorkers::~AssociationWorkers()
{
    endAll();
}

bool AssociationWorkers::acceptOne(T_ASC_Network* network, const std::shared_ptr<ImageHandOff>& images,
                                   const void* listener)
{
    joinFinished();
    std::unique_lock lock(m_mutex);
    if (m_ended)
        return false;
    dropOldestWaiting();
    m_workers.push_back(std::make_unique<Worker>());
    Worker& worker = *m_workers.back();
    worker.listener = listener;
    worker.number = ++m_started;
    // The toolkit makes the worker's connection inside the call that also
    // reads the request: its socket's arrival tells that the connection
    // is off the queue.
    worker.stop.setOnAttach([this, &worker] { enter(worker, Phase::Requesting); });
    try {
        worker.thread = std::thread([this, &worker, network, images] { run(worker, network, images); });
    } catch (...) {
        m_workers.pop_back();
        return false;
    }
    // One worker at a time takes a connection off the queue; the next
    // waits until this one has.
    m_changed.wait(lock, [&worker] { return worker.phase != Phase::Accepting; });
    return true;
}

void AssociationWorkers::run(Worker& worker, T_ASC_Network* network, std::shared_ptr<ImageHandOff> images)
{
    StopsConnectionsOnThisThread attached(worker.stop);
    T_ASC_Association* association = nullptr;
    const OFCondition received = ASC_receiveAssociation(network, &association, kMaxPduBytes, nullptr, nullptr,
                                                        OFFalse, DUL_NOBLOCK, kAssociationRequestTimeoutSeconds);
    {
        std::lock_guard lock(m_mutex);
        worker.listener = nullptr; // the network is not used from here on
        if (worker.phase == Phase::Accepting)
            worker.phase = Phase::Requesting;
    }
    m_changed.notify_all();
    if (received.bad()) {
        // No connection, one that sent no valid request in time, or dropped.
        Discard(association, received);
    } else if (!startServing(worker)) {
        if (worker.stop.requested())
            Discard(association, DUL_PEERABORTEDASSOCIATION);
        else
            RefuseAsBusy(association);
    } else {
        try {
            RelayAssociation(std::move(images), worker.stop).serve(association);
        } catch (...) {
            // Nothing may escape a worker thread; the association is gone either way.
        }
    }
    enter(worker, Phase::Done);
}

void AssociationWorkers::enter(Worker& worker, Phase phase)
{
    {
        std::lock_guard lock(m_mutex);
        // The archive's connections are attached later too; only the first
        // connection moves the worker on.
        if (phase == Phase::Requesting && worker.phase != Phase::Accepting)
            return;
        worker.phase = phase;
    }
    m_changed.notify_all();
}

bool AssociationWorkers::startServing(Worker& worker)
{
    std::lock_guard lock(m_mutex);
    if (m_ended || worker.stop.requested())
        return false;
    int serving = 0;
    for (const auto& other : m_workers)
        serving += other->phase == Phase::Serving;
    if (serving >= kMaxConcurrentAssociations)
        return false;
    worker.phase = Phase::Serving;
    return true;
}

void AssociationWorkers::dropOldestWaiting()
{
    Worker* oldest = nullptr;
    int waiting = 0;
    for (const auto& worker : m_workers) {
        if (worker->phase != Phase::Requesting || !worker->listener || worker->dropped)
            continue;
        ++waiting;
        if (!oldest || worker->number < oldest->number)
            oldest = worker.get();
    }
    if (oldest && waiting >= kMaxWaitingConnections) {
        oldest->dropped = true;
        oldest->stop.request();
    }
}

void AssociationWorkers::releaseListener(const void* listener)
{
    std::unique_lock lock(m_mutex);
    for (const auto& worker : m_workers) {
        if (worker->listener == listener)
            worker->stop.request();
    }
    m_changed.wait(lock, [this, listener] {
        return std::none_of(m_workers.begin(), m_workers.end(),
                            [listener](const auto& worker) { return worker->listener == listener; });
    });
}

void AssociationWorkers::endAll()
{
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        for (const auto& worker : m_workers)
            worker->stop.request();
        workers.swap(m_workers);
    }
    for (const auto& worker : workers)
        worker->thread.join();
}

void AssociationWorkers::joinFinished()
{
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            const auto next = std::next(it);
            if ((*it)->phase == Phase::Done)
                finished.splice(finished.end(), m_workers, it);
            it = next;
        }
    }
    // Their threads have nothing left to do but return.
    for (const auto& worker : finished)
        worker->thread.join();
}

} // namespace quorin::dicom
