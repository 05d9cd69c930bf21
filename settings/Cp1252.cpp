#include "settings/Cp1252.h"

namespace {

// Bytes 0x80..0x9F. The five bytes Windows leaves unassigned keep the C1
// control of the same value, so every byte decodes to a distinct character
// and a decode followed by an encode gives back the same bytes.
constexpr char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

// The byte for one UTF-16 unit, or -1 when the code page has none.
int ByteFor(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i) {
        if (kHighControlRange[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QByteArray EncodeCp1252(const QString& text, bool* lossless)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool allKept = true;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = text.at(i).unicode();
        const int byte = ByteFor(unit);
        if (byte >= 0) {
            bytes.append(char(byte));
            continue;
        }
        // One '?' per character: a surrogate pair is one character.
        if (QChar::isHighSurrogate(unit) && i + 1 < n && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes.append('?');
        allKept = false;
    }
    if (lossless)
        *lossless = allKept;
    return bytes;
}

QString DecodeCp1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        out[i] = (byte >= 0x80 && byte <= 0x9F) ? QChar(kHighControlRange[byte - 0x80]) : QChar(byte);
    }
    return text;
}

bool IsCp1252Encodable(const QString& text)
{
    for (const QChar c : text) {
        if (ByteFor(c.unicode()) < 0)
            return false;
    }
    return true;
}
