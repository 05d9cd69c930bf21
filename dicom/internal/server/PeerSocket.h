#pragma once
// What the toolkit does not tell of an association's connection: whether
// its peer is already gone, and whether it runs on this host.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

namespace quorin::dicom {

// True when the peer reset the connection, or closed it with nothing left
// to read. Does not wait and consumes nothing.
bool PeerHasGone(T_ASC_Association* association);

// The peer connected over loopback, or from the address it connected to.
bool PeerOnThisHost(T_ASC_Association* association);

} // namespace quorin::dicom
