#include "ui/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int kIconSize = 32;

void DrawBackground(QPainter& painter)
{
    QLinearGradient gradient(0, 0, 0, kIconSize);
    gradient.setColorAt(0, QColor(0x2B, 0x6C, 0xB0));
    gradient.setColorAt(1, QColor(0x1A, 0x44, 0x80));
    painter.setPen(QPen(QColor(0x12, 0x30, 0x60), 1));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0.5, 0.5, kIconSize - 1, kIconSize - 1), 6, 6);
}

// An image sheet with a folded corner: the picture being relayed.
void DrawSheet(QPainter& painter)
{
    QPainterPath sheet;
    sheet.moveTo(4.5, 8.5);
    sheet.lineTo(10.5, 8.5);
    sheet.lineTo(13.5, 11.5);
    sheet.lineTo(13.5, 23.5);
    sheet.lineTo(4.5, 23.5);
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(0x0E, 0x26, 0x4C), 1));
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    painter.setBrush(QColor(0x9C, 0xB8, 0xD8));
    painter.drawEllipse(QRectF(6.5, 14.5, 5, 6));
}

// The arrow that passes it on.
void DrawArrow(QPainter& painter)
{
    QPainterPath arrow;
    arrow.moveTo(15, 14);
    arrow.lineTo(21, 14);
    arrow.lineTo(21, 9);
    arrow.lineTo(29, 16);
    arrow.lineTo(21, 23);
    arrow.lineTo(21, 18);
    arrow.lineTo(15, 18);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(0x7A, 0x3E, 0x00), 1));
    painter.setBrush(QColor(0xFF, 0xA6, 0x1A));
    painter.drawPath(arrow);
}

QPixmap DrawIcon()
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawBackground(painter);
    DrawSheet(painter);
    DrawArrow(painter);
    return pixmap;
}

} // namespace

QIcon AppIcon()
{
    // Drawn on each call rather than kept in a static: a pixmap must not
    // outlive the application object, and 32 x 32 pixels are cheap.
    return QIcon(DrawIcon());
}
