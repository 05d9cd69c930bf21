#include "settings/RelaySettings.h"

#include "settings/AppPaths.h"
#include "settings/ProfileStrings.h"

RelaySettingsValues& RelaySettings()
{
    static RelaySettingsValues values;
    return values;
}

void LoadSettings()
{
    // Each read builds the path afresh and reads the file as it is now.
    const auto read = [](const char* section, const char* key, const char* defaultValue) {
        return ReadIniString(QString::fromLatin1(section), QString::fromLatin1(key), QString::fromLatin1(defaultValue),
                             SettingsFilePath(), 256);
    };
    RelaySettingsValues& settings = RelaySettings();
    settings.ArchiveAET = read("Archive", "AET", "");
    settings.ArchiveIP = read("Archive", "IP", "");
    settings.ArchivePort = read("Archive", "Port", "");
    settings.LocalAET = read("Local", "LocalAET", "");
    settings.LocalPort = read("Local", "LocalPort", "109");
    settings.Debugmode = read("Local", "Debugmode", "0");
}
