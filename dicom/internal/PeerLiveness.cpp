#include "dicom/internal/PeerLiveness.h"

#include "dicom/internal/ConnectionSocket.h"

#include <dcmtk/dcmnet/dul.h>

#ifdef _WIN32
#include <winsock2.h>
using SocketLength = int;
#else
#include <sys/socket.h>
using SocketLength = socklen_t;
#endif

namespace quorin::dicom {

namespace {

// A reset leaves its error on the socket, even while received bytes are
// still queued before it.
bool hasPendingError(DcmNativeSocketType socket)
{
    int error = 0;
    SocketLength length = sizeof(error);
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0;
}

// Readable with nothing to read: the peer closed its side.
bool atEndOfStream(DcmTransportConnection& connection)
{
    if (!connection.networkDataAvailable(0))
        return false;
    char next = 0;
    return ::recv(ConnectionSocket::of(connection), &next, 1, MSG_PEEK) <= 0;
}

} // namespace

bool peerHasGone(T_ASC_Association* association)
{
    DcmTransportConnection* connection =
        association ? DUL_getTransportConnection(association->DULassociation) : nullptr;
    if (!connection)
        return true;
    return hasPendingError(ConnectionSocket::of(*connection)) || atEndOfStream(*connection);
}

} // namespace quorin::dicom
