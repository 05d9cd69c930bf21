#include "ui/ControlState.h"

#include <QColor>
#include <QObject>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kBackColorProperty = "backColor";

// Windows keeps red in the lowest byte: 0x00BBGGRR.
QColor FromWindowsColor(int windowsColor)
{
    return QColor(windowsColor & 0xFF, (windowsColor >> 8) & 0xFF, (windowsColor >> 16) & 0xFF);
}

} // namespace

void SetBackColor(QWidget* control, int windowsColor)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, FromWindowsColor(windowsColor));
    control->setPalette(palette);
    control->setAutoFillBackground(true);
    control->setProperty(kBackColorProperty, windowsColor);
}

int BackColor(const QWidget* control)
{
    const QVariant value = control->property(kBackColorProperty);
    return value.isValid() ? value.toInt() : -1;
}
