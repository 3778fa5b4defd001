#include "shell/form_icons.h"

#include <QPainter>
#include <QPainterPath>

QImage FormIcon(int resourceId) {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 60, 110), 1.5));
    const QColor paper(250, 250, 245), folder(240, 190, 70), red(200, 40, 40), green(40, 150, 60);
    auto document = [&] {
        QPainterPath sheet;
        sheet.moveTo(8, 4);
        sheet.lineTo(20, 4);
        sheet.lineTo(25, 9);
        sheet.lineTo(25, 28);
        sheet.lineTo(8, 28);
        sheet.closeSubpath();
        p.setBrush(paper);
        p.drawPath(sheet);
    };
    switch (resourceId) {
    case 155: // open file: a document with an arrow
        document();
        p.setPen(QPen(green, 2.5));
        p.drawLine(16, 24, 16, 12);
        p.drawLine(12, 16, 16, 12);
        p.drawLine(20, 16, 16, 12);
        break;
    case 156: // import directory: a folder
        p.setBrush(folder);
        p.drawRect(4, 10, 24, 16);
        p.drawRect(4, 7, 10, 4);
        break;
    case 157: // remove selected: a document crossed out
        document();
        p.setPen(QPen(red, 3));
        p.drawLine(10, 10, 23, 24);
        p.drawLine(23, 10, 10, 24);
        break;
    case 158: // clear all selected: an empty box
        p.setBrush(paper);
        p.drawRect(7, 7, 18, 18);
        break;
    case 161: // stop: a square
        p.setBrush(red);
        p.drawRect(8, 8, 16, 16);
        break;
    case 162: // start: a triangle
    default: {
        QPainterPath play;
        play.moveTo(10, 6);
        play.lineTo(26, 16);
        play.lineTo(10, 26);
        play.closeSubpath();
        p.setBrush(green);
        p.drawPath(play);
        break;
    }
    }
    return icon;
}
