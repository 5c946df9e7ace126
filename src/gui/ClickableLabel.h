// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QMouseEvent>

// A label that acts when the mouse button is released over it (the countdown switches the
// timer, the colour warning opens its help topic).
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {
        setCursor(Qt::PointingHandCursor);
    }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        Q_EMIT clicked();
    }
};
