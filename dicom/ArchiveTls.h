#pragma once
// How the relay secures its association to the archive (DICOM TLS): its own
// certificate and private key, for an archive that asks for one, and the
// certificates the archive's own must chain to. PEM files, by absolute path;
// an empty path names no file.

#include <QString>

struct ArchiveTls {
    QString certificateFile;
    QString privateKeyFile;
    QString trustedCertificatesFile;
    // False takes any certificate the archive shows.
    bool verifyArchive = true;

    bool operator==(const ArchiveTls&) const = default;
};
