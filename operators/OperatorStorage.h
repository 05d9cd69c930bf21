#pragma once
// Section "Operator" of Settings.ini: key OperatorCount and keys Operator1 ..
// Operator<n>. Keys numbered above the count are never read or removed.

#include "operators/OperatorEntry.h"

#include <QList>
#include <QString>

// The largest list the 16-bit row counters of the format can hold.
constexpr int kMaxOperatorCount = 32766;

// OperatorCount read through ReadIniString (default "0", buffer 256). A text
// that is not a decimal integer (or does not fit 32 bits) counts as 0; a count
// above MaxOperatorCount is clamped to it, one below -32768 to -32768. A
// negative count loads nothing.
qint16 ReadOperatorCount(const QString& iniPath);

// Entries 1..count, each read with default "|||" and buffer 256, so a missing
// key gives four empty fields. Reads the file once for the whole pass.
QList<OperatorEntry> ReadOperatorEntries(const QString& iniPath, qint16 count);

// Writes Operator1..Operator<n> in one atomic write, each entry followed by
// OperatorCount set to its number: a file without the count gets it right
// after Operator1, and it ends as OperatorCount=<n>. An empty list
// writes OperatorCount=0 when the file exists and creates nothing when it does
// not. Only the first MaxOperatorCount entries can be stored. Returns false
// when the file could not be written (it is then unchanged).
[[nodiscard]] bool WriteOperatorEntries(const QString& iniPath, const QList<OperatorEntry>& entries);
