#include "ui/AppFonts.h"

#include <QFile>
#include <QFontDatabase>

void RegisterTahoma()
{
    // Debian's fonts-wine ships a metric-compatible Tahoma outside the font
    // path; without it "Tahoma" falls back to a wider font and the designed
    // geometry clips the texts.
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        if (QFile::exists(file))
            QFontDatabase::addApplicationFont(file);
    }
}

QFont TahomaFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
