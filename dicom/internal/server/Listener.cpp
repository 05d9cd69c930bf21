#include "dicom/internal/server/Listener.h"

#include "dicom/internal/server/ImageHandOff.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/server/AssociationWorkers.h"

#include <chrono>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

namespace quorin::dicom {

namespace {

// How long the accept loop waits for a connection before it looks at the
// stop flag again; only matters when waking it (see wakeAcceptLoop) fails.
const int kAcceptPollSeconds = 1;

} // namespace

std::unique_ptr<Listener> Listener::open(int port, std::shared_ptr<ImageHandOff> images, AssociationWorkers& workers)
{
    if (port < 1 || port > 65535)
        return nullptr;
    T_ASC_Network* network = nullptr;
    if (ASC_initializeNetwork(NET_ACCEPTOR, port, kAssociationRequestTimeoutSeconds, &network).bad())
        return nullptr;
    return std::unique_ptr<Listener>(new Listener(port, network, std::move(images), workers));
}

Listener::Listener(int port, T_ASC_Network* network, std::shared_ptr<ImageHandOff> images, AssociationWorkers& workers)
    : m_port(port)
    , m_network(network)
    , m_images(std::move(images))
    , m_workers(workers)
{
    // Every accepted connection can then be shut down by whoever stops its worker.
    ASC_setTransportLayer(m_network, &m_transport, 0);
    m_thread = std::thread([this] { acceptLoop(); });
}

Listener::~Listener()
{
    m_images->close();
    m_stopping = true;
    wakeAcceptLoop();
    m_thread.join();
    m_workers.releaseListener(this);
    // Closes the listening socket: the port is free from here on.
    ASC_dropNetwork(&m_network);
}

void Listener::acceptLoop()
{
    while (!m_stopping) {
        if (!ASC_associationWaiting(m_network, kAcceptPollSeconds) || m_stopping)
            continue;
        if (!m_workers.acceptOne(m_network, m_images, this)) {
            // No thread to be had: the connection waits in the queue, and
            // this loop must not spin on it.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
}

void Listener::wakeAcceptLoop()
{
    // The accept loop sits in the toolkit's wait for a connection; a
    // connection that closes at once ends that wait now instead of at the
    // next poll. Without an application object (process exit) the poll is
    // waited out instead.
    if (!QCoreApplication::instance())
        return;
    QTcpSocket poke;
    poke.connectToHost(QHostAddress::LocalHost, quint16(m_port));
    poke.waitForConnected(1000);
    poke.abort();
}

} // namespace quorin::dicom
