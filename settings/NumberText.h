#pragma once
// Conversions of setting texts to numbers at their use, as the program's
// settings are all held as text. A text is a number when it holds decimal
// digits, optionally signed and with a fraction after a full stop, blanks
// around ("1.0", "+1", " 0104 "). A text that does not convert yields
// nothing, which makes that use fail.

#include <QString>
#include <optional>

// A number whose value is a whole number that fits a 32-bit signed integer
// ("0104" and "104.0" -> 104; "104.5" -> nothing).
std::optional<qint32> ToInt32(const QString& text);

// The same for a 16-bit signed integer (operator counts, check-box states).
std::optional<qint16> ToInt16(const QString& text);

// Whether the text read as a number equals 1 ("1", "01", " 1 ", "+1.0";
// "2.5" and "0.0" are other numbers). Nothing when the text is not a number.
std::optional<bool> IsNumberOne(const QString& text);

// The debug test: Debugmode is the number 1 (IsNumberOne).
std::optional<bool> IsDebugModeOn(const QString& debugmode);
