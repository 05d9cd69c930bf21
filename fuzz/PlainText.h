#pragma once
// Which written texts the documented INI rules give back exactly as they were
// written. Others are changed on purpose by those rules (NUL ends a text, CR
// and LF become blanks, blanks around a value and matching quotes are
// dropped, text outside Windows-1252 becomes '?') or are read as something
// else than a key line ('=' in a key, a key starting with '[' or ';').

#include <QString>

// A value that reads back unchanged with the largest buffer (32767).
bool ReadsBackUnchanged(const QString& value);

// A key whose line is read back as a key line of that name.
bool IsPlainKey(const QString& key);
