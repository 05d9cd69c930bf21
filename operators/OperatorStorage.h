#pragma once
// Section "Operator" of Settings.ini: key OperatorCount and keys Operator1 ..
// Operator<n>. Keys numbered above the count are never read or removed.

#include "operators/OperatorEntry.h"

#include <QList>
#include <QString>

// The largest list the 16-bit row counters of the format can hold.
constexpr int MaxOperatorCount = 32766;

// OperatorCount read through ReadIniString (default "0", buffer 256). A text
// that is not a 16-bit integer counts as 0; a count above MaxOperatorCount is
// clamped to it. A negative count loads nothing.
qint16 ReadOperatorCount(const QString& iniPath);

// Entries 1..count, each read with default "|||" and buffer 256, so a missing
// key gives four empty fields. Reads the file once for the whole pass.
QList<OperatorEntry> ReadOperatorEntries(const QString& iniPath, qint16 count);

// Writes Operator1..Operator<n> and OperatorCount=<n> as the one-by-one save
// does (count rewritten after each entry), in one atomic write. An empty list
// writes OperatorCount=0 when the file exists and creates nothing when it does
// not. Returns false when the file could not be written.
[[nodiscard]] bool WriteOperatorEntries(const QString& iniPath, const QList<OperatorEntry>& entries);
