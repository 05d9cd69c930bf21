#pragma once
// The relay settings: the six values of sections "Archive" and "Local" of
// Settings.ini, all held as text exactly as read, and the archive's TLS keys. Numbers are converted at
// each use, so a value that is not a number fails only the step that needs
// it. The program holds one set for its whole run and hands it to those who
// read it; it is replaced only by what LoadSettings() returns.

#include "settings/TlsSettings.h"

#include <QString>

struct RelaySettings {
    QString ArchiveAET;
    QString ArchiveIP;
    QString ArchivePort;
    QString LocalAET;
    QString LocalPort;
    QString Debugmode;
    TlsSettings Tls = {};
};

// The six values as Settings.ini holds them now; a missing key gives its
// value in `defaults`. Each key is read afresh from the file.
RelaySettings ReadRelaySettings(const RelaySettings& defaults);

// The settings the relay runs with: missing keys give LocalPort "109",
// Debugmode "0", everything else empty; the TLS keys with them.
RelaySettings LoadSettings();

// Writes the six keys in one atomic write; the TLS keys stay as they are. Returns false when the file
// could not be written (it is then unchanged).
[[nodiscard]] bool WriteRelaySettings(const RelaySettings& settings);
