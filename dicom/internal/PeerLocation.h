#pragma once
// Whether an association's peer runs on this host: it connected over
// loopback, or from the address it connected to.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

namespace quorin::dicom {

bool peerOnThisHost(T_ASC_Association* association);

} // namespace quorin::dicom
