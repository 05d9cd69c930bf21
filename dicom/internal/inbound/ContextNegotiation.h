#pragma once
// Which of a sender's proposed presentation contexts the listener accepts,
// and with which transfer syntax.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <vector>

namespace quorin::dicom {

// Accepts Verification and every storage SOP class, including private or
// newer ones the toolkit does not list (any UID it does not know); refuses
// known non-storage services, which the relay cannot relay. There is no
// fixed list, so there is no limit on the number of storage classes.
bool IsRelayableAbstractSyntax(const char* abstractSyntax);

// The proposed transfer syntax to accept, or nullptr when none is relayable
// (relayable: what an archive accepting everything, such as DCMTK's
// storescp +xa, takes). Follows the sender's order, so the image normally
// travels in the form the sender holds it in, with two exceptions: a lossy
// syntax never wins while the context also offers a lossless or uncompressed
// one (the sender may hold the image uncompressed and would compress it
// lossily), and Explicit VR Little Endian wins over Explicit VR Big Endian
// (retired). With the usual proposals (a context per syntax, or the
// sender's own syntax first) a sender then converts an image only where it
// would for an archive accepting everything too; where one context offers a
// lossy syntax and an uncompressed one, an image held lossily is decompressed.
const char* PreferredTransferSyntax(const std::vector<const char*>& proposed);

// Marks every proposed context of the request as accepted or refused.
void NegotiateProposedContexts(T_ASC_Parameters& params);

} // namespace quorin::dicom
