#include "ui/AppFonts.h"

#include <QFile>
#include <QFontDatabase>

void RegisterTahoma()
{
    // Debian's fonts-wine ships a metric-compatible Tahoma outside the font
    // path; without it "Tahoma" falls back to a wider font and the designed
    // geometry clips the texts. Only the regular face is loaded: the bold
    // face beside it (tahomabd.ttf) has bold widths but regular strokes, so
    // bold captions looked regular. With no bold face Qt emboldens the
    // regular one, which reads as bold and keeps the texts narrow enough for
    // their boxes.
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    const QString file = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(file))
        QFontDatabase::addApplicationFont(file);
}

QFont TahomaFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
