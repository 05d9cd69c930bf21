#include "settings/TlsSettings.h"

#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "settings/ProfileStrings.h"

#include <QDir>

namespace {

// A path may be longer than the other settings' values.
constexpr qint16 kPathBufferSize = 1024;

} // namespace

TlsSettings ReadTlsSettings()
{
    // The five keys from one reading of the file.
    const IniReadSnapshot file(SettingsFilePath());
    const auto key = [&file](const char* name) {
        return file.read(QStringLiteral("Archive"), QLatin1String(name), QString(), kPathBufferSize);
    };
    return {key("TLS"), key("TLSCertificate"), key("TLSPrivateKey"), key("TLSTrustedCertificates"),
            key("TLSVerifyArchive")};
}

bool IsTlsOn(const TlsSettings& settings)
{
    return IsNumberOne(settings.TLS).value_or(false);
}

bool IsArchiveVerified(const TlsSettings& settings)
{
    return ToInt32(settings.TLSVerifyArchive) != 0;
}

QString TlsFilePath(const QString& path)
{
    if (path.isEmpty())
        return path;
    return QDir::cleanPath(QDir(ProgramFolder()).absoluteFilePath(path));
}
