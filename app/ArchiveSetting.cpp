#include "app/ArchiveSetting.h"

#include "settings/NumberText.h"
#include "settings/RelaySettings.h"

std::optional<ArchiveSetting> ReadArchiveSetting(const RelaySettings& settings)
{
    const std::optional<qint32> port = ToInt32(settings.ArchivePort);
    if (!port)
        return std::nullopt;
    return ArchiveSetting{*port, ArchiveAddress::of(settings.ArchiveIP, *port, settings.LocalAET, settings.ArchiveAET)};
}
