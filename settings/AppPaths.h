#pragma once
// Where the program keeps its files: the folder of the executable, derived
// afresh at every use. Tests point it at a temporary folder.

#include <QString>

QString ProgramFolder();
QString SettingsFilePath(); // ProgramFolder() + "/Settings.ini"
QString DebugLogFolder();   // ProgramFolder() + "/Log"
QString DebugLogPath();     // ProgramFolder() + "/Log/Debug.txt"

// Test seam: an empty folder restores the executable's folder.
void SetProgramFolderOverride(const QString& folder);
