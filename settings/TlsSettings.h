#pragma once
// The archive's TLS keys of Settings.ini, section "Archive", held as text
// as read. They are set by editing the file: the settings dialog neither
// shows nor writes them, and a file without them relays as it always has.
//   TLS                     1 secures the association to the archive
//   TLSCertificate          the relay's own certificate (PEM), may be empty
//   TLSPrivateKey           its private key (PEM, unencrypted), may be empty
//   TLSTrustedCertificates  what the archive's certificate must chain to
//   TLSVerifyArchive        0 takes any certificate of the archive
// A relative path is taken from the program's folder.

#include <QString>

struct TlsSettings {
    QString TLS;
    QString TLSCertificate;
    QString TLSPrivateKey;
    QString TLSTrustedCertificates;
    QString TLSVerifyArchive;
};

// The keys as Settings.ini holds them now; missing ones are empty.
TlsSettings ReadTlsSettings();

// TLS reads as the number 1 (IsNumberOne, as Debugmode); anything else is plain.
bool IsTlsOn(const TlsSettings& settings);
// Only TLSVerifyArchive reading as the number 0 takes any certificate: a
// missing, blank or mistyped value keeps the check.
bool IsArchiveVerified(const TlsSettings& settings);
// A file key's path, a relative one taken from the program's folder; empty
// stays empty.
QString TlsFilePath(const QString& path);
