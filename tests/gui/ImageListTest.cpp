// SPDX-License-Identifier: MIT
#include "gui/ImageList.h"
#include "gui/MonitorPicture.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSet>

namespace {

QImage pictureImage(int index) {
    return ImageList::picture(index, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Every picture in use is drawn and differs from the others (index 6 is none); the six list
// state icons are the first six pictures, in display-state order; the window icon is linked in.
TEST(ImageList, PicturesAreDrawnDistinctAndInStateOrder) {
    QImage empty(16, 16, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    EXPECT_EQ(pictureImage(6), empty);
    QSet<QByteArray> seen;
    for (int index : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12}) {
        const QImage image = pictureImage(index);
        EXPECT_NE(image, empty) << "picture " << index;
        seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 12) << "two pictures look the same";
    const QList<QIcon> icons = ImageList::stateIcons();
    ASSERT_EQ(icons.size(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(icons.at(i).pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32), pictureImage(i)) << i;
    EXPECT_FALSE(QIcon(QStringLiteral(":/muralo32/muralo32.png")).pixmap(16).isNull());
}

// The drawn monitor: the desktop colour fills exactly the screen area (12,7)-(163,120), and the
// power light is the 3 x 3 square at (101,134).
TEST(MonitorPicture, ScreenAreaAndPowerLightSitWhereTheyAreDrawn) {
    QImage image(195, 159, QImage::Format_RGB32);
    QPainter painter(&image);
    MonitorPicture::drawMonitor(painter, Qt::blue, Qt::red);
    painter.end();
    const auto isRed = [&image](int x, int y) { return image.pixelColor(x, y) == QColor(Qt::red); };
    EXPECT_TRUE(isRed(12, 7) && isRed(163, 120));
    EXPECT_FALSE(isRed(11, 7) || isRed(12, 6) || isRed(164, 120) || isRed(163, 121));
    const QColor green(0x00, 0x80, 0x00);
    for (const auto& [x, y, lit] : {std::tuple{101, 134, true}, std::tuple{103, 136, true}, std::tuple{102, 133, false},
                                    std::tuple{104, 135, false}, std::tuple{102, 137, false}})
        EXPECT_EQ(image.pixelColor(x, y) == green, lit) << x << "," << y;
}

} // namespace
