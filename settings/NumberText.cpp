#include "settings/NumberText.h"

#include <limits>

namespace {

// A decimal integer with optional sign and surrounding blanks. Magnitudes
// beyond Saturation are held as Saturation: they fit no type used here.
constexpr qint64 Saturation = qint64(1) << 62;

std::optional<qint64> ParseDecimal(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == QLatin1Char('+') || trimmed[pos] == QLatin1Char('-'))) {
        negative = trimmed[pos] == QLatin1Char('-');
        ++pos;
    }
    if (pos == trimmed.size())
        return std::nullopt;
    qint64 magnitude = 0;
    for (; pos < trimmed.size(); ++pos) {
        const char16_t c = trimmed[pos].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude >= Saturation / 10 ? Saturation : magnitude * 10 + (c - u'0');
    }
    return negative ? -magnitude : magnitude;
}

template <typename Int>
std::optional<Int> ToInt(const QString& text)
{
    const std::optional<qint64> value = ParseDecimal(text);
    if (!value || *value < std::numeric_limits<Int>::min() || *value > std::numeric_limits<Int>::max())
        return std::nullopt;
    return Int(*value);
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

std::optional<bool> IsDebugModeOn(const QString& debugmode)
{
    const std::optional<qint64> value = ParseDecimal(debugmode);
    if (!value)
        return std::nullopt;
    return *value == 1;
}
