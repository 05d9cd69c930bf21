#pragma once
// The debug log: Log/Debug.txt in the program's folder, one line per step
// of each relayed image while Debugmode is on.

#include <QDateTime>
#include <QString>
#include <functional>

// Appends one line "<time stamp> - <text>" + CRLF in Windows-1252, creating
// the Log folder when missing; opens, appends and closes on every call.
// Returns false when the folder, the file or the line could not be written:
// the caller decides what a failure means.
[[nodiscard]] bool WriteDebugLine(const QString& text);

// dd.MM.yyyy HH:mm:ss, or the date alone at exactly midnight.
QString FormatDebugTimestamp(const QDateTime& localTime);

// Test seam: the clock for the time stamp; an empty function restores the
// system clock.
void SetDebugLogClock(std::function<QDateTime()> clock);
