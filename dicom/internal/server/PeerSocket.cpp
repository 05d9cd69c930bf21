#include "dicom/internal/server/PeerSocket.h"

#include <dcmtk/dcmnet/dcmtrans.h>
#include <dcmtk/dcmnet/dul.h>

#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketLength = int;
#else
#include <netinet/in.h>
#include <sys/socket.h>
using SocketLength = socklen_t;
#endif

namespace quorin::dicom {

namespace {

// The toolkit keeps a connection's socket protected; a derived class may
// name the accessor, and the pointer to it works on any connection.
struct ConnectionSocket : DcmTransportConnection {
    static DcmNativeSocketType of(DcmTransportConnection& connection)
    {
        return (connection.*(&ConnectionSocket::getSocket))();
    }
};

DcmTransportConnection* ConnectionOf(T_ASC_Association* association)
{
    return association ? DUL_getTransportConnection(association->DULassociation) : nullptr;
}

// A reset leaves its error on the socket, even while received bytes are
// still queued before it.
bool HasPendingError(DcmNativeSocketType socket)
{
    int error = 0;
    SocketLength length = sizeof(error);
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0;
}

// Readable with nothing to read: the peer closed its side.
bool AtEndOfStream(DcmTransportConnection& connection)
{
    if (!connection.networkDataAvailable(0))
        return false;
    char next = 0;
    return ::recv(ConnectionSocket::of(connection), &next, 1, MSG_PEEK) <= 0;
}

// The address as IPv6 bytes (IPv4 mapped), or false for other families.
bool Ipv6Bytes(const sockaddr_storage& address, unsigned char (&bytes)[16])
{
    if (address.ss_family == AF_INET6) {
        std::memcpy(bytes, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, 16);
        return true;
    }
    if (address.ss_family != AF_INET)
        return false;
    static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    std::memcpy(bytes, mapped, 12);
    std::memcpy(bytes + 12, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, 4);
    return true;
}

bool IsLoopback(const unsigned char (&bytes)[16])
{
    static const unsigned char ipv6Loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const bool ipv4 = bytes[10] == 0xff && bytes[11] == 0xff && std::memcmp(bytes, ipv6Loopback, 10) == 0;
    return (ipv4 && bytes[12] == 127) || std::memcmp(bytes, ipv6Loopback, 16) == 0;
}

} // namespace

bool PeerHasGone(T_ASC_Association* association)
{
    DcmTransportConnection* connection = ConnectionOf(association);
    if (!connection)
        return true;
    return HasPendingError(ConnectionSocket::of(*connection)) || AtEndOfStream(*connection);
}

bool PeerOnThisHost(T_ASC_Association* association)
{
    DcmTransportConnection* connection = ConnectionOf(association);
    if (!connection)
        return false;
    const DcmNativeSocketType socket = ConnectionSocket::of(*connection);
    sockaddr_storage peer{};
    sockaddr_storage local{};
    SocketLength peerLength = sizeof(peer);
    SocketLength localLength = sizeof(local);
    unsigned char peerBytes[16];
    unsigned char localBytes[16];
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0
        || ::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localLength) != 0
        || !Ipv6Bytes(peer, peerBytes) || !Ipv6Bytes(local, localBytes))
        return false;
    return IsLoopback(peerBytes) || std::memcmp(peerBytes, localBytes, 16) == 0;
}

} // namespace quorin::dicom
