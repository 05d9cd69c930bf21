#include "dicom/internal/ToolkitSetup.h"

#include "dicom/internal/TimeLimits.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcobject.h>
#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmjpeg/djdecode.h>
#include <dcmtk/dcmjpls/djdecode.h>
#include <dcmtk/dcmnet/dul.h>
#include <dcmtk/oflog/oflog.h>
#include <dcmtk/ofstd/ofstd.h>

#include <QByteArray>
#include <mutex>

namespace quorin::dicom {

namespace {

void Prepare()
{
    // Windows sockets work only after WSAStartup, which the toolkit leaves
    // to its programs; elsewhere this does nothing.
    OFStandard::initializeNetwork();

    // Without it every C-STORE response waits for Nagle's delayed ACK
    // (about 40 ms on loopback); the toolkit reads it when it makes a socket.
    qputenv("TCP_NODELAY", QByteArrayLiteral("1"));

    // The toolkit logs every association at INFO level to stderr.
    OFLog::configure(OFLogger::ERROR_LOG_LEVEL);

    // A relay passes data on as received: no silent "corrections" on read.
    dcmEnableAutomaticInputDataCorrection.set(OFFalse);

    // A slow reverse DNS lookup would delay every incoming association.
    dcmDisableGethostbyaddr.set(OFTrue);

    ApplyToolkitTimeLimits();

    // Decoders for sending to an archive that refuses the compressed syntax;
    // decompression keeps the SOP Instance UID.
    DJDecoderRegistration::registerCodecs(EDC_photometricInterpretation, EUC_never);
    DJLSDecoderRegistration::registerCodecs(EJLSUC_never);
    DcmRLEDecoderRegistration::registerCodecs(OFFalse);
}

} // namespace

void EnsureToolkitReady()
{
    static std::once_flag once;
    std::call_once(once, Prepare);
}

} // namespace quorin::dicom
