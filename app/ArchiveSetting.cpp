#include "app/ArchiveSetting.h"

#include "settings/NumberText.h"
#include "settings/RelaySettings.h"

namespace {

// Nothing for a plain association.
std::optional<ArchiveTls> ReadArchiveTls(const TlsSettings& tls)
{
    if (!IsTlsOn(tls))
        return std::nullopt;
    return ArchiveTls{TlsFilePath(tls.TLSCertificate), TlsFilePath(tls.TLSPrivateKey),
                      TlsFilePath(tls.TLSTrustedCertificates), IsArchiveVerified(tls)};
}

} // namespace

std::optional<ArchiveSetting> ReadArchiveSetting(const RelaySettings& settings)
{
    const std::optional<qint32> port = ToInt32(settings.ArchivePort);
    if (!port)
        return std::nullopt;
    return ArchiveSetting{*port, ArchiveAddress::of(settings.ArchiveIP, *port, settings.LocalAET, settings.ArchiveAET,
                                                    ReadArchiveTls(settings.Tls))};
}
