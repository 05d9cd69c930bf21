#pragma once
// Where a forwarded image goes: the archive's host and TCP port, the AE
// title it is called by and the one the relay calls it with, and whether the
// association is secured by TLS. Only a usable address can be made (a host
// named, a port from 1 to 65535), so the relay sends to it as it comes.

#include "dicom/ArchiveTls.h"

#include <QString>
#include <QtGlobal>
#include <optional>

class ArchiveAddress {
public:
    // Nothing when the host is empty or blank, or the port lies outside
    // 1..65535. The host is kept without the blanks around it.
    static std::optional<ArchiveAddress> of(const QString& host, qint32 port, const QString& callingAETitle,
                                            const QString& calledAETitle, std::optional<ArchiveTls> tls = {});

    const QString& host() const { return m_host; }
    quint16 port() const { return m_port; }
    const QString& callingAETitle() const { return m_callingAETitle; }
    const QString& calledAETitle() const { return m_calledAETitle; }
    // Nothing for a plain association.
    const std::optional<ArchiveTls>& tls() const { return m_tls; }

    bool operator==(const ArchiveAddress&) const = default;

private:
    ArchiveAddress(QString host, quint16 port, QString callingAETitle, QString calledAETitle,
                   std::optional<ArchiveTls> tls);

    QString m_host;
    quint16 m_port;
    QString m_callingAETitle;
    QString m_calledAETitle;
    std::optional<ArchiveTls> m_tls;
};
