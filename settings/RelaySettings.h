#pragma once
// The relay settings: the six values of sections "Archive" and "Local" of
// Settings.ini, all held as text exactly as read. Numbers are converted at
// each use, so a value that is not a number fails only the step that needs
// it. The program holds one set for its whole run and hands it to those who
// read it; it is replaced only by what LoadSettings() returns.

#include <QString>

struct RelaySettings {
    QString ArchiveAET;
    QString ArchiveIP;
    QString ArchivePort;
    QString LocalAET;
    QString LocalPort;
    QString Debugmode;
};

// The six values as Settings.ini holds them now; a missing key gives its
// value in `defaults`. Each key is read afresh from the file.
RelaySettings ReadRelaySettings(const RelaySettings& defaults);

// The settings the relay runs with: missing keys give LocalPort "109",
// Debugmode "0", everything else empty.
RelaySettings LoadSettings();

// Writes the six keys in one atomic write. Returns false when the file
// could not be written (it is then unchanged).
[[nodiscard]] bool WriteRelaySettings(const RelaySettings& settings);
