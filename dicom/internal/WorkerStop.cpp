#include "dicom/internal/WorkerStop.h"

#include "dicom/internal/CoalescingConnection.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace quorin::dicom {

namespace {

thread_local WorkerStop* t_stop = nullptr;

void ShutDownSocket(DcmNativeSocketType socket)
{
#ifdef _WIN32
    ::shutdown(socket, SD_BOTH);
#else
    ::shutdown(socket, SHUT_RDWR);
#endif
}

// Closed with a reset rather than a FIN. After a stop the peer may still be
// sending into a window the worker no longer empties; a FIN would leave it
// probing that window for a minute, a reset ends its transfer at once.
void CloseWithReset(DcmNativeSocketType socket)
{
    linger abortive{};
    abortive.l_onoff = 1;
    abortive.l_linger = 0;
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof(abortive));
}

// A worker's TCP connection, its socket attached to a WorkerStop for as
// long as it is open.
class StoppableConnection : public CoalescingConnection {
public:
    explicit StoppableConnection(DcmNativeSocketType socket)
        : CoalescingConnection(socket)
        , m_attachment(socket)
    {
    }
    ~StoppableConnection() override { m_attachment.detach(); }

    void close() override
    {
        m_attachment.detach();
        CoalescingConnection::close();
    }
    void closeTransportConnection() override
    {
        m_attachment.detach();
        CoalescingConnection::closeTransportConnection();
    }

private:
    StopAttachment m_attachment;
};

} // namespace

void WorkerStop::request()
{
    std::function<void()> wake;
    {
        std::lock_guard lock(m_mutex);
        m_requested = true;
        for (const DcmNativeSocketType socket : m_sockets)
            ShutDownSocket(socket);
        wake = m_wake;
    }
    if (wake)
        wake();
}

bool WorkerStop::requested() const
{
    std::lock_guard lock(m_mutex);
    return m_requested;
}

void WorkerStop::attach(DcmNativeSocketType socket)
{
    {
        std::lock_guard lock(m_mutex);
        m_sockets.push_back(socket);
        if (m_requested)
            ShutDownSocket(socket);
    }
    if (m_onAttach)
        m_onAttach();
}

void WorkerStop::detach(DcmNativeSocketType socket)
{
    std::lock_guard lock(m_mutex);
    if (const auto found = std::find(m_sockets.begin(), m_sockets.end(), socket); found != m_sockets.end())
        m_sockets.erase(found);
}

void WorkerStop::setWake(std::function<void()> wake)
{
    bool runNow = false;
    {
        std::lock_guard lock(m_mutex);
        runNow = m_requested && wake;
        m_wake = wake;
    }
    // A stop that came first must still end the wait about to begin.
    if (runNow)
        wake();
}

StopAttachment::StopAttachment(DcmNativeSocketType socket)
    : m_socket(socket)
    , m_stop(t_stop)
{
    if (m_stop)
        m_stop->attach(socket);
}

void StopAttachment::detach()
{
    if (!m_stop)
        return;
    m_stop->detach(m_socket);
    if (m_stop->requested())
        CloseWithReset(m_socket);
    m_stop = nullptr;
}

DcmTransportConnection* StoppableTransportLayer::createConnection(DcmNativeSocketType socket, OFBool useSecureLayer)
{
    if (useSecureLayer)
        return nullptr;
    if (t_stop)
        return new StoppableConnection(socket);
    return new DcmTCPConnection(socket);
}

StopsConnectionsOnThisThread::StopsConnectionsOnThisThread(WorkerStop& stop)
    : m_previous(std::exchange(t_stop, &stop))
{
}

StopsConnectionsOnThisThread::~StopsConnectionsOnThisThread()
{
    t_stop = m_previous;
}

} // namespace quorin::dicom
