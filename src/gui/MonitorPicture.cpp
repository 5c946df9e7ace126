// SPDX-License-Identifier: MIT
#include "gui/MonitorPicture.h"

#include <QPainter>

namespace {

const QColor kLightGrey(0xC0, 0xC0, 0xC0);
const QColor kDarkGrey(0x80, 0x80, 0x80);
const QColor kPowerGreen(0x00, 0x80, 0x00);

// Alternate pixels of a line, the dithered bevel of the bezel.
void checkerLine(QPainter& p, int x0, int y0, int x1, int y1, const QColor& colour) {
    p.setPen(colour);
    if (y0 == y1) {
        for (int x = x0; x <= x1; ++x)
            if ((x + y0) % 2 == 0) p.drawPoint(x, y0);
    } else {
        for (int y = y0; y <= y1; ++y)
            if ((x0 + y) % 2 == 0) p.drawPoint(x0, y);
    }
}

} // namespace

MonitorPicture::MonitorPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaintBox1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MonitorPicture::setScreenColour(const QColor& colour) {
    m_screen = colour;
    update();
}

void MonitorPicture::drawMonitor(QPainter& p, const QColor& boxColour, const QColor& screenColour) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, 195, 159), boxColour);

    // bezel (0,0)-(176,131)
    p.fillRect(QRect(0, 0, 176, 131), kLightGrey);
    p.setPen(Qt::white);
    p.drawLine(0, 0, 175, 0);
    p.drawLine(0, 0, 0, 130);
    p.setPen(kDarkGrey);
    p.drawLine(0, 130, 175, 130);
    p.drawLine(175, 0, 175, 130);
    checkerLine(p, 1, 1, 174, 1, Qt::white);
    checkerLine(p, 1, 1, 1, 129, Qt::white);
    checkerLine(p, 1, 129, 174, 129, kDarkGrey);
    checkerLine(p, 174, 1, 174, 129, kDarkGrey);

    // screen frame and the screen itself
    p.fillRect(QRect(QPoint(10, 5), QPoint(166, 123)), kDarkGrey);
    p.fillRect(QRect(QPoint(11, 6), QPoint(165, 122)), Qt::black);
    p.fillRect(QRect(QPoint(12, 7), QPoint(163, 120)), screenColour);
    p.setPen(Qt::white);
    p.drawLine(10, 124, 167, 124);
    p.drawLine(167, 5, 167, 124);

    // stand and base
    p.fillRect(QRect(QPoint(66, 131), QPoint(108, 140)), kLightGrey);
    p.setPen(QPen(kDarkGrey, 2));
    p.drawLine(66, 131, 66, 141);
    p.drawLine(108, 131, 108, 141);
    p.fillRect(QRect(QPoint(51, 142), QPoint(123, 153)), kLightGrey);
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(51, 142, 123, 142);
    p.drawLine(51, 142, 51, 153);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(51, 154, 123, 154);
    p.drawLine(123, 142, 123, 154);
    p.setPen(QPen(kDarkGrey, 2));
    p.drawLine(53, 152, 121, 152);

    // power light (101,134)-(103,136)
    p.fillRect(QRect(QPoint(101, 134), QPoint(103, 136)), kPowerGreen);
}

void MonitorPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawMonitor(p, palette().window().color(), m_screen);
}
