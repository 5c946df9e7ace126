// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The small monitor of the file dialog: a drawn screen (12,7)-(132,97) with the previewed
// picture fitted into it.
class PreviewMonitor : public QWidget {
    Q_OBJECT
public:
    // The drawing reaches x 145 (the bezel's shadow) and y 130 (the foot).
    static constexpr int kWidth = 146;
    static constexpr int kHeight = 150;

    explicit PreviewMonitor(QWidget* parent = nullptr);

    void setScreenColour(const QColor& colour);
    // The picture to show, of an image `size` big (the picture itself may have been decoded
    // smaller); a null picture shows the empty screen. `animated` marks it with an "A".
    void setPicture(const QImage& picture, QSize size, bool animated);
    const QImage& picture() const { return m_picture; }
    // Where the picture is drawn; empty when there is none.
    QRect picturePlace() const { return m_picture.isNull() ? QRect() : pictureRect(m_size.width(), m_size.height()); }
    bool animated() const { return m_animated; }

    // Where a picture of w x h lies on the screen: 90 high when it is no wider than 4:3,
    // otherwise 120 wide, centred. An empty rectangle for an empty picture.
    static QRect pictureRect(int w, int h);
    // The monitor alone, on a box of kWidth x kHeight filled with boxColour.
    static void drawMonitor(QPainter& p, const QColor& boxColour, const QColor& screenColour);

    QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_screen = Qt::black;
    QImage m_picture;
    QSize m_size;
    bool m_animated = false;
};
