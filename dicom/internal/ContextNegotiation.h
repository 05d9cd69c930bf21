#pragma once
// Which of a sender's proposed presentation contexts the listener accepts,
// and with which transfer syntax.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <vector>

namespace quorin::dicom {

// Accepts Verification and every storage SOP class, including private or
// newer ones the toolkit does not list (any UID it does not know); refuses
// known non-storage services, which the relay cannot pass on. There is no
// fixed list, so there is no limit on the number of storage classes.
bool isRelayableAbstractSyntax(const char* abstractSyntax);

// The proposed transfer syntax to accept, or nullptr when none can be read.
// Prefers the first proposed syntax other than the uncompressed defaults
// (normally the form the sender holds the image in, so it reaches the archive
// unchanged), then Explicit VR Little Endian, then Implicit VR Little Endian.
const char* preferredTransferSyntax(const std::vector<const char*>& proposed);

// Marks every proposed context of the request as accepted or refused.
void negotiateProposedContexts(T_ASC_Parameters& params);

} // namespace quorin::dicom
