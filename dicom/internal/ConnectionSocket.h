#pragma once
// The socket under a toolkit connection, for the few questions the toolkit
// does not answer (a pending error, where the peer is).

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/dcmtrans.h>

namespace quorin::dicom {

// The toolkit keeps a connection's socket protected; a derived class may
// name the accessor, and the pointer to it works on any connection.
struct ConnectionSocket : DcmTransportConnection {
    static DcmNativeSocketType of(DcmTransportConnection& connection)
    {
        return (connection.*(&ConnectionSocket::getSocket))();
    }
};

} // namespace quorin::dicom
