#pragma once
// TLS toward the archive: DICOM's non-downgrading BCP 195 profile (TLS 1.2
// and newer), the relay's own certificate and key where the settings name
// them, and the certificates the archive's must chain to. Made afresh for
// each association, so changed files count from the next one; its
// connections stop with their worker, as plain ones do.

#include "dicom/ArchiveTls.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmtls/tlslayer.h>

#include <QString>
#include <memory>

namespace quorin::dicom {

class ArchiveTlsLayer : public DcmTLSTransportLayer {
public:
    // Nothing, and `failure` says why, when a file cannot be read or the key
    // does not fit the certificate. No file's content reaches the text.
    static std::unique_ptr<ArchiveTlsLayer> make(const ArchiveTls& tls, QString& failure);

    DcmTransportConnection* createConnection(DcmNativeSocketType socket, OFBool useSecureLayer) override;

private:
    ArchiveTlsLayer();
    QString load(const ArchiveTls& tls);
};

} // namespace quorin::dicom
