#pragma once
// The relay settings: one set for the whole process, all held as text exactly
// as read from Settings.ini. Numbers are converted at each use, so a value
// that is not a number fails only the step that needs it.

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
