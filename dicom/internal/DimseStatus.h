#pragma once
// C-STORE status values as the relay uses them (its own failure:
// kStatusRelayFailure, beside ForwardResult).

#include "dicom/ForwardResult.h"

#include <QtGlobal>

namespace quorin::dicom {

inline constexpr quint16 kStatusSuccess = 0x0000;

// The outcome of a forward that failed on the relay's side.
inline ForwardResult RelayFailure(const QString& detail)
{
    return ForwardResult{false, kStatusRelayFailure, detail};
}

// The archive took the image: success, or one of the C-STORE warnings
// (coercion of data elements, elements discarded, data set does not match).
constexpr bool ArchiveAccepted(quint16 status)
{
    return status == kStatusSuccess || status == 0xB000 || status == 0xB006 || status == 0xB007;
}

} // namespace quorin::dicom
