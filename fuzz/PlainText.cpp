#include "PlainText.h"

#include "settings/Cp1252.h"

namespace {

constexpr qsizetype kLargestValue = 32766; // buffer 32767 less the NUL

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool HasLineBreakOrNul(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

} // namespace

bool ReadsBackUnchanged(const QString& value)
{
    if (value.size() > kLargestValue || HasLineBreakOrNul(value) || !IsCp1252Encodable(value))
        return false;
    if (value.isEmpty())
        return true;
    return !IsBlank(value.front()) && !IsBlank(value.back()) && !IsQuote(value.front()) && !IsQuote(value.back());
}

bool IsPlainKey(const QString& key)
{
    if (HasLineBreakOrNul(key) || key.contains(QLatin1Char('=')))
        return false;
    for (const QChar c : key) {
        if (!IsBlank(c))
            return c != QLatin1Char('[') && c != QLatin1Char(';');
    }
    return true;
}
