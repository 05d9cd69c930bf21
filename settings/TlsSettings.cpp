#include "settings/TlsSettings.h"

#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "settings/ProfileStrings.h"

#include <QDir>

namespace {

// A path may be longer than the other settings' values.
constexpr qint16 kPathBufferSize = 1024;

QString ReadArchiveKey(const char* key)
{
    return ReadIniString(QStringLiteral("Archive"), QLatin1String(key), QString(), SettingsFilePath(),
                         kPathBufferSize);
}

} // namespace

TlsSettings ReadTlsSettings()
{
    return {ReadArchiveKey("TLS"), ReadArchiveKey("TLSCertificate"), ReadArchiveKey("TLSPrivateKey"),
            ReadArchiveKey("TLSTrustedCertificates"), ReadArchiveKey("TLSVerifyArchive")};
}

bool IsTlsOn(const TlsSettings& settings)
{
    return IsDebugModeOn(settings.TLS).value_or(false);
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
