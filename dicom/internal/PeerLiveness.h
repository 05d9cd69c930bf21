#pragma once
// Whether the other end of an association's connection is already gone.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

namespace quorin::dicom {

// True when the peer reset the connection, or closed it with nothing left
// to read. Does not wait and consumes nothing.
bool peerHasGone(T_ASC_Association* association);

} // namespace quorin::dicom
