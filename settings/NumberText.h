#pragma once
// Conversions of setting texts to numbers at their use, as the program's
// settings are all held as text. A text that does not convert yields nothing,
// which makes that use fail.

#include <QString>
#include <optional>

// A decimal integer with optional sign and surrounding blanks ("0104" -> 104)
// that fits a 32-bit signed integer.
std::optional<qint32> ToInt32(const QString& text);

// The same for a 16-bit signed integer (operator counts, check-box states).
std::optional<qint16> ToInt16(const QString& text);

// The debug test: the text read as a number equals 1 ("1", "01", " 1 ").
// Nothing when the text is not a number.
std::optional<bool> IsDebugModeOn(const QString& debugmode);
