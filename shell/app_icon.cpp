#include "shell/app_icon.h"

#include <QPainter>
#include <QPainterPath>

// Drawn on a 64-unit grid, scaled to the size asked for. Keep in step with
// resources/vellumin.svg.
QImage AppIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 90, 160));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(14, 8, 30, 40)); // the page
    p.setBrush(QColor(180, 190, 205));
    for (int line = 0; line < 4; ++line)
        p.drawRect(QRectF(18, 14 + 8 * line, 22, 3)); // its text
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.setBrush(QColor(240, 190, 70));
    p.drawRect(QRectF(28, 30, 30, 24)); // the picture taken out of it
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 200));
    p.drawEllipse(QRectF(47, 34, 7, 7));
    QPainterPath hills;
    hills.moveTo(29, 53);
    hills.lineTo(38, 40);
    hills.lineTo(45, 48);
    hills.lineTo(49, 44);
    hills.lineTo(57, 53);
    hills.closeSubpath();
    p.setBrush(QColor(40, 130, 70));
    p.drawPath(hills);
    return icon;
}
