#include "settings/NumberText.h"

#include <limits>

namespace {

// A setting's text read as a number: optional sign, decimal digits with an
// optional fraction after a full stop, blanks around ("1.0", "+1", " 0104 ").
// Only what the uses below ask of it is kept: the whole part, saturated
// beyond Saturation (it fits no type used here), and whether a fraction
// other than zero follows.
struct DecimalNumber {
    bool negative = false;
    qint64 whole = 0;
    bool fraction = false;
};

constexpr qint64 kSaturation = qint64(1) << 62;

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::optional<DecimalNumber> ParseDecimal(const QString& text)
{
    const QString trimmed = text.trimmed();
    DecimalNumber number;
    qsizetype pos = 0;
    if (pos < trimmed.size() && (trimmed[pos] == QLatin1Char('+') || trimmed[pos] == QLatin1Char('-')))
        number.negative = trimmed[pos++] == QLatin1Char('-');
    int digits = 0;
    for (; pos < trimmed.size() && IsDigit(trimmed[pos]); ++pos, ++digits) {
        const int digit = trimmed[pos].unicode() - u'0';
        number.whole = number.whole >= kSaturation / 10 ? kSaturation : number.whole * 10 + digit;
    }
    if (pos < trimmed.size() && trimmed[pos] == QLatin1Char('.')) {
        for (++pos; pos < trimmed.size() && IsDigit(trimmed[pos]); ++pos, ++digits)
            number.fraction |= trimmed[pos] != QLatin1Char('0');
    }
    if (digits == 0 || pos != trimmed.size())
        return std::nullopt;
    return number;
}

// A number converts to an integer type when its value is a whole number in
// that type's range: "104.0" is 104, "104.5" converts to none.
template <typename Int>
std::optional<Int> ToInt(const QString& text)
{
    const std::optional<DecimalNumber> number = ParseDecimal(text);
    if (!number || number->fraction)
        return std::nullopt;
    const qint64 value = number->negative ? -number->whole : number->whole;
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max())
        return std::nullopt;
    return Int(value);
}

} // namespace

std::optional<qint32> ToInt32(const QString& text)
{
    return ToInt<qint32>(text);
}

std::optional<qint16> ToInt16(const QString& text)
{
    return ToInt<qint16>(text);
}

std::optional<bool> IsNumberOne(const QString& text)
{
    const std::optional<DecimalNumber> number = ParseDecimal(text);
    if (!number)
        return std::nullopt;
    return !number->negative && number->whole == 1 && !number->fraction;
}

std::optional<bool> IsDebugModeOn(const QString& debugmode)
{
    return IsNumberOne(debugmode);
}
