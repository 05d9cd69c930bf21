#include "dicom/internal/outbound/ArchiveTlsLayer.h"

#include "dicom/internal/CoalescingConnection.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/WorkerStop.h"

#include <dcmtk/dcmtls/tlstrans.h>
#include <openssl/ssl.h>

#include <QFile>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#include <sys/time.h>
#endif

namespace quorin::dicom {

namespace {

// A TLS connection to the archive, its socket attached to the worker's stop
// for as long as it is open. Its writes travel together as a plain
// connection's do (CoalescingConnection): each PDU's header would otherwise
// leave as a TLS record and a segment of its own.
class StoppableTlsConnection : public DcmTLSConnection, public WriteHolder {
public:
    StoppableTlsConnection(DcmNativeSocketType socket, SSL* ssl)
        : DcmTLSConnection(socket, ssl)
        , m_attachment(socket)
    {
    }
    ~StoppableTlsConnection() override
    {
        push();
        m_attachment.detach();
    }

    ssize_t write(void* buf, size_t nbyte) override
    {
        if (!isHolding() && Cork(getSocket()))
            startHolding();
        return DcmTLSConnection::write(buf, nbyte);
    }
    ssize_t read(void* buf, size_t nbyte) override
    {
        PushHeldWrites(); // the archive may be waiting for them to answer
        return DcmTLSConnection::read(buf, nbyte);
    }
    OFBool networkDataAvailable(int timeout) override
    {
        PushHeldWrites();
        return DcmTLSConnection::networkDataAvailable(timeout);
    }
    void push() override
    {
        if (stopHolding())
            Uncork(getSocket());
    }
    void close() override
    {
        push();
        m_attachment.detach();
        DcmTLSConnection::close();
    }
    void closeTransportConnection() override
    {
        push();
        m_attachment.detach();
        DcmTLSConnection::closeTransportConnection();
    }

private:
    StopAttachment m_attachment;
};

// A TLS read waits for a whole record, past the toolkit's check that data is
// there: an archive that stops inside the handshake or a record would hold
// the worker for the toolkit's 60 s, outlasting the sender's patience. A
// read is limited as the archive's negotiation is.
void LimitReads(DcmNativeSocketType socket)
{
    const int seconds = CurrentArchiveTimeLimits().acseSeconds;
#ifdef _WIN32
    const DWORD limit = DWORD(seconds) * 1000;
#else
    timeval limit{};
    limit.tv_sec = seconds;
#endif
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof(limit));
}

QByteArray FileName(const QString& path)
{
#ifdef _WIN32
    return path.toUtf8(); // OpenSSL opens UTF-8 names as Unicode
#else
    return QFile::encodeName(path);
#endif
}

} // namespace

ArchiveTlsLayer::ArchiveTlsLayer()
    : DcmTLSTransportLayer(NET_REQUESTOR, nullptr, OFFalse)
{
}

std::unique_ptr<ArchiveTlsLayer> ArchiveTlsLayer::make(const ArchiveTls& tls, QString& failure)
{
    std::unique_ptr<ArchiveTlsLayer> layer(new ArchiveTlsLayer());
    failure = layer->load(tls);
    if (!failure.isEmpty())
        layer.reset();
    return layer;
}

QString ArchiveTlsLayer::load(const ArchiveTls& tls)
{
    if (!*this)
        return QStringLiteral("cannot set up TLS");
    if (setTLSProfile(TSP_Profile_BCP195_ND).bad() || activateCipherSuites().bad())
        return QStringLiteral("cannot set up the TLS profile");
    // An encrypted key would otherwise ask for its password on the console.
    setPrivateKeyPasswd("");
    if (!tls.certificateFile.isEmpty() || !tls.privateKeyFile.isEmpty()) {
        if (setPrivateKeyFile(FileName(tls.privateKeyFile).constData(), DCF_Filetype_PEM).bad())
            return QStringLiteral("cannot read the relay's TLS private key (an unencrypted PEM file): %1")
                .arg(tls.privateKeyFile);
        if (setCertificateFile(FileName(tls.certificateFile).constData(), DCF_Filetype_PEM).bad())
            return QStringLiteral("cannot read the relay's TLS certificate (a PEM file): %1").arg(tls.certificateFile);
        if (!checkPrivateKeyMatchesCertificate())
            return QStringLiteral("the relay's TLS private key does not fit its certificate");
    }
    if (!tls.trustedCertificatesFile.isEmpty()
        && addTrustedCertificateFile(FileName(tls.trustedCertificatesFile).constData(), DCF_Filetype_PEM).bad())
        return QStringLiteral("cannot read the trusted TLS certificates (a PEM file): %1")
            .arg(tls.trustedCertificatesFile);
    setCertificateVerification(tls.verifyArchive ? DCV_requireCertificate : DCV_ignoreCertificate);
    return QString();
}

DcmTransportConnection* ArchiveTlsLayer::createConnection(DcmNativeSocketType socket, OFBool useSecureLayer)
{
    if (!useSecureLayer)
        return nullptr; // every association through this layer is secured
    SSL* ssl = SSL_new(getNativeHandle());
    if (!ssl)
        return nullptr;
    // OpenSSL takes an int; Windows' socket handles fit it in practice.
    SSL_set_fd(ssl, int(socket));
    auto* connection = new StoppableTlsConnection(socket, ssl);
    LimitReads(socket); // after the toolkit's own limit, set as the connection is made
    return connection;
}

} // namespace quorin::dicom
