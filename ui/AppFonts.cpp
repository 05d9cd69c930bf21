#include "ui/AppFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QtEndian>

#ifndef _WIN32
namespace {

// Windows lays Tahoma's lines out with the OS/2 table's usWinAscent and
// usWinDescent (2049 and 423 of 2048 units), which reach above the dots and
// accents of capitals (up to 1992 for É); the windows were designed with
// those lines: a one-line label at 11.25 pt is 18 pixels high, 15 + 3.
// fonts-wine's Tahoma keeps Qt from those numbers in two ways. It sets
// USE_TYPO_METRICS (bit 7 of fsSelection), which FreeType and Qt honour,
// and its typographic ascent is 1566 units. And it carries bitmap strikes
// for 8 to 16 pixels (EBLC, EBDT); for a font with strikes Qt takes the line
// metrics of the strike (12 + 3 at 15 pixels) and not those of the OS/2
// table, though it draws the glyphs from the outlines all the same. Either
// way the line stopped below the dots of Ä, Ö, Ü: text sat up to 7 pixels
// higher than designed in labels, list rows and selections, and lost those
// tops. With the bit cleared and the strikes left out of the table
// directory Qt lays out the same lines as Windows at every size. Nothing
// checks the checksums, and table offsets count from the start of the file,
// so the tables stay where they are.
QByteArray WithWindowsLineMetrics(const QByteArray& font)
{
    // sfnt: the table count at byte 4, then 16-byte table records from
    // byte 12 (tag, checksum, offset, length); fsSelection at byte 62 of OS/2.
    constexpr qsizetype kRecords = 12;
    constexpr qsizetype kRecordSize = 16;
    constexpr quint16 kUseTypoMetrics = 0x80;
    if (font.size() < kRecords)
        return font;
    const auto* bytes = reinterpret_cast<const uchar*>(font.constData());
    const qsizetype tables =
        qMin<qsizetype>(qFromBigEndian<quint16>(bytes + 4), (font.size() - kRecords) / kRecordSize);
    QByteArray result = font;
    qsizetype kept = 0;
    for (qsizetype record = kRecords; record < kRecords + kRecordSize * tables; record += kRecordSize) {
        const QByteArray tag = font.mid(record, 4);
        if (tag == "EBLC" || tag == "EBDT")
            continue;
        result.replace(kRecords + kRecordSize * kept++, kRecordSize, font.mid(record, kRecordSize));
        if (tag != "OS/2")
            continue;
        const qsizetype fsSelection = qFromBigEndian<quint32>(bytes + record + 8) + 62;
        if (fsSelection + 2 <= font.size())
            qToBigEndian<quint16>(qFromBigEndian<quint16>(bytes + fsSelection) & ~kUseTypoMetrics,
                                  result.data() + fsSelection);
    }
    const qsizetype dropped = kRecordSize * (tables - kept);
    result.replace(kRecords + kRecordSize * kept, dropped, QByteArray(dropped, '\0'));
    qToBigEndian<quint16>(kept, result.data() + 4);
    return result;
}

} // namespace
#endif

void RegisterTahoma()
{
#ifndef _WIN32
    // Debian's fonts-wine ships a metric-compatible Tahoma outside the font
    // path; without it "Tahoma" falls back to a wider font and the designed
    // geometry clips the texts. Only the regular face is loaded: the bold
    // face beside it (tahomabd.ttf) has bold widths but regular strokes, so
    // bold captions looked regular. With no bold face Qt emboldens the
    // regular one, which reads as bold and keeps the texts narrow enough for
    // their boxes. Windows has Tahoma, both faces, of its own.
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    QFile file(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    if (file.open(QIODevice::ReadOnly))
        QFontDatabase::addApplicationFontFromData(WithWindowsLineMetrics(file.readAll()));
#endif
}

QFont TahomaFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
