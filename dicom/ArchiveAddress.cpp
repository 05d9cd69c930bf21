#include "dicom/ArchiveAddress.h"

std::optional<ArchiveAddress> ArchiveAddress::of(const QString& host, qint32 port, const QString& callingAETitle,
                                                 const QString& calledAETitle, std::optional<ArchiveTls> tls)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty() || port < 1 || port > 65535)
        return std::nullopt;
    return ArchiveAddress(trimmed, quint16(port), callingAETitle, calledAETitle, std::move(tls));
}

ArchiveAddress::ArchiveAddress(QString host, quint16 port, QString callingAETitle, QString calledAETitle,
                               std::optional<ArchiveTls> tls)
    : m_host(std::move(host))
    , m_port(port)
    , m_callingAETitle(std::move(callingAETitle))
    , m_calledAETitle(std::move(calledAETitle))
    , m_tls(std::move(tls))
{
}
