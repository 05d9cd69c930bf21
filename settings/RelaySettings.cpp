#include "settings/RelaySettings.h"

#include "settings/AppPaths.h"
#include "settings/ProfileStrings.h"

namespace {

constexpr qint16 kBufferSize = 256;

// Where each value is kept in Settings.ini, in the order read and written.
struct SettingKey {
    QString RelaySettings::*value;
    const char* section;
    const char* key;
};
constexpr SettingKey kKeys[] = {
    {&RelaySettings::ArchiveAET, "Archive", "AET"},
    {&RelaySettings::ArchiveIP, "Archive", "IP"},
    {&RelaySettings::ArchivePort, "Archive", "Port"},
    {&RelaySettings::LocalAET, "Local", "LocalAET"},
    {&RelaySettings::LocalPort, "Local", "LocalPort"},
    {&RelaySettings::Debugmode, "Local", "Debugmode"},
};

} // namespace

RelaySettings ReadRelaySettings(const RelaySettings& defaults)
{
    // Each read builds the path afresh and reads the file as it is now.
    RelaySettings settings;
    for (const SettingKey& key : kKeys)
        settings.*key.value = ReadIniString(QLatin1String(key.section), QLatin1String(key.key),
                                            defaults.*key.value, SettingsFilePath(), kBufferSize);
    return settings;
}

RelaySettings LoadSettings()
{
    const QString empty = QStringLiteral("");
    RelaySettings settings = ReadRelaySettings({empty, empty, empty, empty, QStringLiteral("109"), QStringLiteral("0")});
    settings.Tls = ReadTlsSettings();
    return settings;
}

bool WriteRelaySettings(const RelaySettings& settings)
{
    IniWriteBatch batch(SettingsFilePath());
    for (const SettingKey& key : kKeys)
        batch.write(QLatin1String(key.section), QLatin1String(key.key), settings.*key.value);
    return batch.commit();
}
