#include "settings/AppPaths.h"

#include <QCoreApplication>

namespace {

QString& ProgramFolderOverride()
{
    static QString folder;
    return folder;
}

} // namespace

QString ProgramFolder()
{
    const QString& folder = ProgramFolderOverride();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

QString SettingsFilePath()
{
    return ProgramFolder() + QStringLiteral("/Settings.ini");
}

QString DebugLogFolder()
{
    return ProgramFolder() + QStringLiteral("/Log");
}

QString DebugLogPath()
{
    return DebugLogFolder() + QStringLiteral("/Debug.txt");
}

void SetProgramFolderOverride(const QString& folder)
{
    QString& stored = ProgramFolderOverride();
    stored = folder;
    while (stored.size() > 1 && stored.endsWith(QLatin1Char('/')))
        stored.chop(1);
}
