#pragma once
#include <QString>
#include <QtGlobal>

namespace quorin::dicom {
// Every failure that happens on the relay's side (archive unreachable, image
// not forwarded, relay stopped): "refused, out of resources" tells the
// sender the image was not stored and may be sent again later.
inline constexpr quint16 kStatusRelayFailure = 0xA700;
} // namespace quorin::dicom

// The outcome of forwarding one image to the archive.
struct ForwardResult {
    bool accepted = false; // the archive took the image (success or warning status)
    // The DIMSE status to pass back to the image's sender.
    quint16 status = quorin::dicom::kStatusRelayFailure;
    QString detail;          // for developers (debugger, tests); never shown to the user
};
