// SPDX-License-Identifier: MIT
#include "gui/ImageList.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Everything is drawn on a 16 x 16 grid and scaled, so the small list icons and the larger
// option pictures are the same drawing.
void drawMonitor(QPainter& p, const QColor& screen) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(QRectF(1.5, 1.5, 13, 10));
    p.setBrush(screen);
    p.drawRect(QRectF(3.5, 3.5, 9, 6));
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRectF(5.5, 12.5, 5, 2));
}

void drawTiles(QPainter& p, const QColor& colour) {
    p.setPen(QPen(Qt::black, 0.6));
    p.setBrush(colour);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            p.drawRect(QRectF(1.5 + x * 6.5, 1.5 + y * 6.5, 6, 6));
}

void drawSingle(QPainter& p, const QColor& colour) {
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(colour);
    p.drawRect(QRectF(2.5, 3.5, 11, 9));
    // a hill and a sun, so the single picture reads as "a picture"
    QPainterPath hill;
    hill.moveTo(3, 12);
    hill.lineTo(7, 7);
    hill.lineTo(10, 10);
    hill.lineTo(13, 8);
    hill.lineTo(13, 12);
    hill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x80, 0x20));
    p.drawPath(hill);
    p.setBrush(QColor(0xFF, 0xD0, 0x00));
    p.drawEllipse(QPointF(10.5, 6), 1.3, 1.3);
}

// The resized mark: two outward arrows in the lower right corner.
void drawResizeMark(QPainter& p) {
    p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 15), QPointF(15, 9));
    p.drawLine(QPointF(15, 9), QPointF(12, 9));
    p.drawLine(QPointF(15, 9), QPointF(15, 12));
}

void drawSlash(QPainter& p) {
    p.setPen(QPen(QColor(0xD0, 0x00, 0x00), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2, 14), QPointF(14, 2));
}

void drawClock(QPainter& p, bool on) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(on ? QColor(0xFF, 0xFF, 0xE0) : QColor(0xD0, 0xD0, 0xD0));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(QPen(Qt::black, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void drawFolder(QPainter& p) {
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
    p.setBrush(QColor(0xF0, 0xC8, 0x40));
    QPainterPath folder;
    folder.moveTo(1.5, 4.5);
    folder.lineTo(6, 4.5);
    folder.lineTo(7.5, 6);
    folder.lineTo(14.5, 6);
    folder.lineTo(14.5, 13.5);
    folder.lineTo(1.5, 13.5);
    folder.closeSubpath();
    p.drawPath(folder);
}

// A sheet with a question mark: an image whose display state is not known yet.
void drawUnknown(QPainter& p) {
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x00, 0x00, 0xA0));
    p.drawText(QRectF(2.5, 1.5, 11, 13), Qt::AlignCenter, QStringLiteral("?"));
}

// Stars on a dark screen.
void drawScreenSaverOn(QPainter& p) {
    drawMonitor(p, QColor(0x00, 0x00, 0x80));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::yellow);
    p.drawEllipse(QPointF(6, 6), 0.8, 0.8);
    p.drawEllipse(QPointF(10, 8), 0.8, 0.8);
}

// An arrow on a green screen.
void drawChangeWallpaper(QPainter& p) {
    drawMonitor(p, QColor(0x30, 0x90, 0x30));
    p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 6.5), QPointF(10, 6.5));
    p.drawLine(QPointF(10, 6.5), QPointF(8.5, 5));
    p.drawLine(QPointF(10, 6.5), QPointF(8.5, 8));
}

const QColor kTileColour(0x60, 0xA0, 0xE0);
const QColor kSingleColour(0x90, 0xC8, 0xF0);

void draw(QPainter& p, int index) {
    switch (index) {
    case ImageList::Folder:
        drawFolder(p);
        break;
    case ImageList::TiledNotResized:
        drawTiles(p, kTileColour);
        break;
    case ImageList::SingleResized:
        drawSingle(p, kSingleColour);
        drawResizeMark(p);
        break;
    case ImageList::SingleNotResized:
        drawSingle(p, kSingleColour);
        break;
    case ImageList::Unknown:
        drawUnknown(p);
        break;
    case ImageList::TiledResized:
        drawTiles(p, kTileColour);
        drawResizeMark(p);
        break;
    case ImageList::ScreenSaverOn:
        drawScreenSaverOn(p);
        break;
    case ImageList::ScreenSaverOff:
        drawMonitor(p, QColor(0x00, 0x00, 0x80));
        drawSlash(p);
        break;
    case ImageList::TimerOn:
        drawClock(p, true);
        break;
    case ImageList::TimerOff:
        drawClock(p, false);
        drawSlash(p);
        break;
    case ImageList::ChangeWallpaper:
        drawChangeWallpaper(p);
        break;
    case ImageList::ClearScreen:
        drawMonitor(p, Qt::black);
        break;
    default:
        break;
    }
}

} // namespace

QPixmap ImageList::picture(int index, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p, index);
    return pixmap;
}

QIcon ImageList::icon(int index) {
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(picture(index, size));
    return icon;
}

QList<QIcon> ImageList::stateIcons() {
    QList<QIcon> icons;
    for (int i = Folder; i <= TiledResized; ++i)
        icons << icon(i);
    return icons;
}
