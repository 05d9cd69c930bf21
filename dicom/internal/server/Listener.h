#pragma once
// One listening port: a thread that waits for connections and hands each to
// a worker thread of its own (AssociationWorkers), which takes it and reads
// its association request.

#include "dicom/internal/WorkerStop.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <atomic>
#include <memory>
#include <thread>

namespace quorin::dicom {

class AssociationWorkers;
class ImageHandOff;

class Listener {
public:
    // Accepting on all interfaces when this returns non-null; null when the
    // port cannot be opened (in use, no right to it).
    static std::unique_ptr<Listener> open(int port, std::shared_ptr<ImageHandOff> images,
                                          AssociationWorkers& workers);

    // Stops accepting and frees the port before returning. Connections that
    // have not sent their association request yet are dropped; associations
    // already accepted go on, their further images answered with a failure
    // (AssociationWorkers::endAll ends them at the end of the program).
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    ImageHandOff& images() { return *m_images; }

private:
    Listener(int port, T_ASC_Network* network, std::shared_ptr<ImageHandOff> images, AssociationWorkers& workers);

    void acceptLoop();
    void wakeAcceptLoop();

    const int m_port;
    // Outlives the network, which uses it for every connection it accepts.
    StoppableTransportLayer m_transport;
    T_ASC_Network* m_network;
    std::shared_ptr<ImageHandOff> m_images;
    AssociationWorkers& m_workers;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace quorin::dicom
