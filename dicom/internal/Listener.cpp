#include "dicom/internal/Listener.h"

#include "dicom/internal/AssociationWorkers.h"
#include "dicom/internal/ListenerLink.h"
#include "dicom/internal/NetworkTimeouts.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

namespace quorin::dicom {

namespace {

// How long the accept loop waits for a connection before it looks at the
// stop flag again; only matters when waking it (see wakeAcceptLoop) fails.
const int kAcceptPollSeconds = 1;

void discard(T_ASC_Association*& association, const OFCondition& why)
{
    if (!association)
        return;
    // After a mere timeout there is no connection to drop.
    if (why != DUL_NOASSOCIATIONREQUEST)
        ASC_dropAssociation(association);
    ASC_destroyAssociation(&association);
}

void refuseAsBusy(T_ASC_Association*& association)
{
    T_ASC_RejectParameters rejection{ASC_RESULT_REJECTEDTRANSIENT,
                                     ASC_SOURCE_SERVICEPROVIDER_PRESENTATION_RELATED,
                                     ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED};
    ASC_rejectAssociation(association, &rejection);
    discard(association, EC_Normal);
}

} // namespace

std::unique_ptr<Listener> Listener::open(int port, std::shared_ptr<ListenerLink> link)
{
    if (port < 1 || port > 65535)
        return nullptr;
    T_ASC_Network* network = nullptr;
    if (ASC_initializeNetwork(NET_ACCEPTOR, port, kAssociationRequestTimeoutSeconds, &network).bad())
        return nullptr;
    return std::unique_ptr<Listener>(new Listener(port, network, std::move(link)));
}

Listener::Listener(int port, T_ASC_Network* network, std::shared_ptr<ListenerLink> link)
    : m_port(port)
    , m_network(network)
    , m_link(std::move(link))
{
    m_thread = std::thread([this] { acceptLoop(); });
}

Listener::~Listener()
{
    m_link->close();
    m_stopping = true;
    wakeAcceptLoop();
    m_thread.join();
    // Closes the listening socket: the port is free from here on.
    ASC_dropNetwork(&m_network);
}

void Listener::acceptLoop()
{
    while (!m_stopping)
        acceptOne();
}

void Listener::acceptOne()
{
    T_ASC_Association* association = nullptr;
    const OFCondition received = ASC_receiveAssociation(m_network, &association, kMaxPduBytes, nullptr,
                                                        nullptr, OFFalse, DUL_NOBLOCK, kAcceptPollSeconds);
    if (received.bad() || m_stopping) {
        // Timeout, a connection that sent no valid request, or the wake-up.
        discard(association, received);
        return;
    }
    if (!AssociationWorkers::start(association, m_link))
        refuseAsBusy(association);
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
