// SPDX-License-Identifier: MIT
#include "gui/filedlg/PreviewMonitor.h"

#include <QPainter>

#include <initializer_list>

namespace {

const QColor kLightGrey(0xC0, 0xC0, 0xC0);
const QColor kDarkGrey(0x80, 0x80, 0x80);
const QColor kPowerGreen(0x00, 0x80, 0x00);

int sign(int v) {
    return (v > 0) - (v < 0);
}

// The monitor was designed with lines that stop one pixel short of their end point.
// Every line of it is level, upright or at 45 degrees, so that pixel is one step back.
void lineTo(QPainter& p, QPoint from, QPoint to) {
    const QPoint last(to.x() - sign(to.x() - from.x()), to.y() - sign(to.y() - from.y()));
    if (from == to) return;
    p.drawLine(from, last);
}

void polyline(QPainter& p, const QColor& colour, int width, std::initializer_list<QPoint> points) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const QPoint* previous = nullptr;
    for (const QPoint& point : points) {
        if (previous) lineTo(p, *previous, point);
        previous = &point;
    }
}

// A rectangle given by its corners, the right and bottom edges left out.
QRect corners(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

// Every other pixel along a row (from x0 to x1) or a column, the dithered bevel.
void dotRow(QPainter& p, int x0, int x1, int y) {
    for (int x = x0; x <= x1; x += 2)
        p.drawPoint(x, y);
}
void dotColumn(QPainter& p, int x, int y0, int y1) {
    for (int y = y0; y <= y1; y += 2)
        p.drawPoint(x, y);
}

void drawBezel(QPainter& p) {
    polyline(p, kLightGrey, 1, {{2, 2}, {142, 2}, {142, 104}, {2, 104}, {2, 2}});
    polyline(p, kDarkGrey, 1, {{1, 105}, {144, 105}, {144, 106}, {1, 106}, {1, 105}});
    polyline(p, Qt::black, 1, {{2, 107}, {143, 107}});
    p.fillRect(corners(143, 1, 145, 107), kDarkGrey);
    p.fillRect(corners(0, 0, 144, 2), Qt::white);
    p.fillRect(corners(0, 0, 2, 106), Qt::white);
    p.setPen(Qt::white);
    dotRow(p, 3, 141, 2);
    dotRow(p, 2, 140, 3);
    dotColumn(p, 2, 3, 105);
    dotColumn(p, 3, 4, 104);
    p.setPen(kDarkGrey);
    dotRow(p, 6, 140, 103);
    dotRow(p, 5, 141, 104);
    dotColumn(p, 141, 3, 101);
    dotColumn(p, 142, 2, 102);
}

void drawScreen(QPainter& p, const QColor& screenColour) {
    const QRect frame = corners(10, 5, 134, 99);
    p.setPen(Qt::NoPen);
    p.fillRect(QRect(frame.left(), frame.top(), frame.width(), 1), kDarkGrey);
    p.fillRect(QRect(frame.left(), frame.bottom(), frame.width(), 1), kDarkGrey);
    p.fillRect(QRect(frame.left(), frame.top(), 1, frame.height()), kDarkGrey);
    p.fillRect(QRect(frame.right(), frame.top(), 1, frame.height()), kDarkGrey);
    p.fillRect(corners(11, 6, 133, 98), Qt::black);
    p.fillRect(corners(12, 7, 132, 97), screenColour);
    polyline(p, Qt::white, 1, {{10, 100}, {136, 100}});
    polyline(p, Qt::white, 1, {{135, 5}, {135, 100}});
}

void drawStand(QPainter& p) {
    polyline(p, kDarkGrey, 2, {{38, 109}, {104, 109}, {98, 115}, {43, 115}});
    polyline(p, kDarkGrey, 2, {{50, 118}, {96, 118}, {96, 124}});
    polyline(p, Qt::white, 2, {{39, 110}, {42, 113}});
    polyline(p, Qt::white, 2, {{48, 120}, {48, 124}});
    polyline(p, Qt::black, 1, {{45, 116}, {97, 116}, {97, 124}, {97, 116}, {99, 116}, {105, 110}, {105, 107}});
    polyline(p, kDarkGrey, 1,
             {{36, 125},
              {47, 125},
              {47, 117},
              {47, 125},
              {106, 125},
              {107, 126},
              {107, 129},
              {106, 130},
              {36, 130},
              {35, 129},
              {35, 125}});
    polyline(p, kDarkGrey, 1, {{81, 112}, {91, 112}, {91, 109}});
    polyline(p, Qt::white, 1, {{36, 129}, {36, 126}, {107, 126}});
    polyline(p, Qt::white, 1, {{77, 110}, {77, 112}, {74, 112}});
    polyline(p, Qt::white, 1, {{80, 110}, {80, 113}});
    polyline(p, Qt::black, 1, {{74, 112}, {74, 109}, {78, 109}});
    p.fillRect(corners(85, 110, 87, 112), kPowerGreen);
}

} // namespace

PreviewMonitor::PreviewMonitor(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaintBox"));
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewMonitor::setScreenColour(const QColor& colour) {
    m_screen = colour;
    update();
}

void PreviewMonitor::setPicture(const QImage& picture, QSize size, bool animated) {
    m_picture = picture;
    m_size = size;
    m_animated = animated && !picture.isNull();
    update();
}

QRect PreviewMonitor::pictureRect(int w, int h) {
    if (w <= 0 || h <= 0) return {};
    if (w <= h * 4 / 3) {
        const int width = std::max(1, w * 90 / h);
        return {72 - width / 2, 7, width, 90};
    }
    const int height = std::max(1, h * 120 / w);
    return {12, 52 - height / 2, 120, height};
}

void PreviewMonitor::drawMonitor(QPainter& p, const QColor& boxColour, const QColor& screenColour) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, kWidth, kHeight), boxColour);
    drawBezel(p);
    drawScreen(p, screenColour);
    drawStand(p);
}

void PreviewMonitor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawMonitor(p, palette().color(backgroundRole()), m_screen);
    const QRect place = picturePlace();
    if (place.isEmpty()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(place, m_picture);
    if (!m_animated) return;
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::red);
    p.drawText(QRect(place.topLeft(), QSize(kWidth, kHeight)), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("A"));
}
