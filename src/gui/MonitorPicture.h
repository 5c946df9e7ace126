// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QWidget>

// A drawn monitor whose screen area (12,7)-(164,121) is where the desktop
// thumbnail lies.
class MonitorPicture : public QWidget {
    Q_OBJECT
public:
    explicit MonitorPicture(QWidget* parent = nullptr);

    void setScreenColour(const QColor& colour);
    QColor screenColour() const { return m_screen; }

    // The monitor drawing alone, for the widget and for tests.
    static void drawMonitor(QPainter& p, const QColor& boxColour, const QColor& screenColour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_screen = Qt::black;
};
