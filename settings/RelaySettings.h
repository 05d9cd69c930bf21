#pragma once
// The process-wide relay settings (module modMain), all held as text exactly
// as read from Settings.ini; numbers are converted at each use.

#include <QString>

struct RelaySettingsValues {
    QString ArchiveAET;
    QString ArchiveIP;
    QString ArchivePort;
    QString LocalAET;
    QString LocalPort;
    QString Debugmode;
};

// The one instance; empty until the first LoadSettings().
RelaySettingsValues& RelaySettings();

// Replaces all six values from Settings.ini (defaults: LocalPort "109",
// Debugmode "0", everything else empty).
void LoadSettings();
