#include "dicom/internal/CoalescingConnection.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#ifndef _WIN32
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#endif

// Holding writes back needs MSG_MORE and TCP_CORK (Linux). Where the system
// has neither, as on Windows, nothing is ever held: every write leaves as
// written, and the checks for held writes find none.
#if defined(MSG_MORE) && defined(TCP_CORK)
#define QUORIN_HOLDS_WRITES 1
#endif

namespace quorin::dicom {

namespace {

// The connections of this thread that hold bytes back.
thread_local std::vector<WriteHolder*> t_holding;

#ifdef QUORIN_HOLDS_WRITES
bool ReadableNow(DcmNativeSocketType socket)
{
    pollfd readable{socket, POLLIN, 0};
    return ::poll(&readable, 1, 0) > 0;
}
#endif

} // namespace

void WriteHolder::startHolding()
{
    if (m_holding)
        return;
    m_holding = true;
    t_holding.push_back(this);
}

bool WriteHolder::stopHolding()
{
    if (!m_holding)
        return false;
    m_holding = false;
    t_holding.erase(std::remove(t_holding.begin(), t_holding.end(), this), t_holding.end());
    return true;
}

bool WriteHolder::threadHolds()
{
    return !t_holding.empty();
}

void Uncork(DcmNativeSocketType socket)
{
#ifdef QUORIN_HOLDS_WRITES
    // Clearing the cork sends what waits for more, however it was held back.
    const int off = 0;
    if (socket != DcmNativeSocketType(-1))
        ::setsockopt(socket, IPPROTO_TCP, TCP_CORK, &off, sizeof(off));
#else
    (void)socket;
#endif
}

bool Cork(DcmNativeSocketType socket)
{
#ifdef QUORIN_HOLDS_WRITES
    const int on = 1;
    return ::setsockopt(socket, IPPROTO_TCP, TCP_CORK, &on, sizeof(on)) == 0;
#else
    (void)socket;
    return false;
#endif
}

CoalescingConnection::CoalescingConnection(DcmNativeSocketType socket)
    : DcmTCPConnection(socket)
{
}

CoalescingConnection::~CoalescingConnection()
{
    push();
}

ssize_t CoalescingConnection::write(void* buf, size_t nbyte)
{
#ifdef QUORIN_HOLDS_WRITES
    const ssize_t written = ::send(getSocket(), buf, nbyte, MSG_MORE | MSG_NOSIGNAL);
    if (written > 0)
        startHolding();
    return written;
#else
    return DcmTCPConnection::write(buf, nbyte); // sent as written
#endif
}

// Before a wait: what is there already is taken without one; otherwise
// this thread's held bytes go out first (the peer may be waiting for them
// to answer).
ssize_t CoalescingConnection::read(void* buf, size_t nbyte)
{
#ifdef QUORIN_HOLDS_WRITES
    if (threadHolds()) {
        const ssize_t got = ::recv(getSocket(), buf, nbyte, MSG_DONTWAIT);
        if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return got;
        PushHeldWrites();
    }
#endif
    return DcmTCPConnection::read(buf, nbyte);
}

OFBool CoalescingConnection::networkDataAvailable(int timeout)
{
#ifdef QUORIN_HOLDS_WRITES
    if (threadHolds()) {
        if (ReadableNow(getSocket()))
            return OFTrue;
        PushHeldWrites();
    }
#endif
    return DcmTCPConnection::networkDataAvailable(timeout);
}

void CoalescingConnection::close()
{
    push();
    DcmTCPConnection::close();
}

void CoalescingConnection::closeTransportConnection()
{
    push();
    DcmTCPConnection::closeTransportConnection();
}

void CoalescingConnection::push()
{
    if (stopHolding())
        Uncork(getSocket());
}

void PushHeldWrites()
{
    while (!t_holding.empty())
        t_holding.back()->push();
}

} // namespace quorin::dicom
