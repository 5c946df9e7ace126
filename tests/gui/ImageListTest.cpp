// SPDX-License-Identifier: MIT
#include "gui/ImageList.h"
#include "GuiTestApp.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSet>

namespace {

QByteArray pixels(int index, int size) {
    const QImage image = ImageList::picture(index, size).toImage().convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
}

TEST(ImageList1, EveryUsedPictureIsDrawnAndDistinct) {
    guiTestApp();
    const QList<int> used = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12};
    QSet<QByteArray> seen;
    for (int index : used) {
        const QImage image = ImageList::picture(index, 16).toImage();
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) != 0;
        EXPECT_TRUE(drawn) << "picture " << index << " is empty";
        seen.insert(pixels(index, 16));
    }
    EXPECT_EQ(seen.size(), used.size()) << "two pictures look the same";
}

TEST(ImageList1, StateIconsComeInDisplayStateOrder) {
    guiTestApp();
    const QList<QIcon> icons = ImageList::stateIcons();
    ASSERT_EQ(icons.size(), 6);
    for (int i = 0; i < 6; ++i) {
        const QImage fromIcon = icons.at(i).pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage direct = ImageList::picture(i, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(fromIcon, direct) << "state " << i;
    }
}

TEST(ImageList1, WindowIconResourceIsLinkedIn) {
    guiTestApp();
    EXPECT_FALSE(QIcon(QStringLiteral(":/muralo32/muralo32.png")).pixmap(16).isNull());
}

} // namespace
