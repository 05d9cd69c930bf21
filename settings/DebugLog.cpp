#include "settings/DebugLog.h"

#include "settings/AppPaths.h"
#include "settings/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

std::function<QDateTime()>& Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

bool WriteDebugLine(const QString& text)
{
    // The folder is tested on every call: nothing is remembered between calls.
    const QString folder = DebugLogFolder();
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
        return false;

    const QDateTime now = Clock() ? Clock()() : QDateTime::currentDateTime();
    const QByteArray line =
        EncodeCp1252(FormatDebugTimestamp(now.toLocalTime()) + QStringLiteral(" - ") + text) + "\r\n";

    QFile file(DebugLogPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = file.write(line) == line.size() && file.flush();
    file.close();
    return written;
}

QString FormatDebugTimestamp(const QDateTime& localTime)
{
    const QString date = localTime.date().toString(QStringLiteral("dd.MM.yyyy"));
    const QTime time = localTime.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
}

void SetDebugLogClock(std::function<QDateTime()> clock)
{
    Clock() = std::move(clock);
}
