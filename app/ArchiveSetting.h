#pragma once
// The archive as the relay settings name it, read once for each image: the
// port's text converted and checked in one go, so the handler writes line B
// and forwards from the same reading; TLS as the TLS keys ask for it.

#include "dicom/ArchiveAddress.h"

#include <optional>

struct RelaySettings;

struct ArchiveSetting {
    // The port's text as a 32-bit number ("0104" is 104): what line B logs.
    qint32 portNumber = 0;
    // Where the image goes; nothing when no host is named or portNumber is
    // no TCP port, and the transfer then fails.
    std::optional<ArchiveAddress> address;
};

// Nothing when the port's text is not a number that fits 32 bits: the image
// fails before line B.
std::optional<ArchiveSetting> ReadArchiveSetting(const RelaySettings& settings);
