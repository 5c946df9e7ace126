// SPDX-License-Identifier: MIT
#include "gui/ImageList.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
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

} // namespace
