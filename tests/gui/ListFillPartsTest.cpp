// SPDX-License-Identifier: MIT
// The two halves of a fast list fill: the listed part of every record read in one pass, and
// caption widths that are only measured when the column needs them.
#include "TestSupport.h"
#include "gui/CaptionWidths.h"
#include "queue/QueueEntry.h"
#include "queue/QueueFile.h"
#include "queue/QueueRows.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

namespace {

class CaptionWidthsTest : public ::testing::TestWithParam<const char16_t*> {
protected:
    int advance(const QString& caption) const { return m_owner.fontMetrics().horizontalAdvance(caption); }

    QWidget m_owner;
    CaptionWidths m_widths;
};

// Kerning pairs, ligatures, accents, other scripts, a surrogate pair, a tab and the character
// that splits a text into alternatives for QFontMetrics.
TEST_P(CaptionWidthsTest, BoundHoldsAndMeasureIsExact) {
    const QString caption = QString::fromUtf16(GetParam());
    m_widths.add(caption, m_owner);
    EXPECT_GE(m_widths.widestBound(), advance(caption));
    EXPECT_EQ(m_widths.widest(), advance(caption));
}

INSTANTIATE_TEST_SUITE_P(Captions, CaptionWidthsTest,
                         ::testing::Values(u"/home/user/Pictures/holiday/img_00001.jpg",
                                           u"AVAWAYAT To Ty Yo LT P. F, r.", u"office affluent fjord ffi",
                                           u"/photos/Ünïcödé ñ çà ß Æ ø.png", u"/bilder/日本語の写真/ملف.jpg",
                                           u"/x/\U0001F600\U0001F3D4.png", u"a\tb\u009Clong alternative", u""));

// The widest of all captions since the last clear, each in the font it came with; a clear
// forgets them.
TEST(CaptionWidthsUse, WidestOfAllSinceClearInTheirOwnFonts) {
    QWidget owner;
    CaptionWidths widths;
    const QString narrow = QStringLiteral("/a/b.jpg");
    const QString wide = QStringLiteral("/home/user/Pictures/a rather long folder name/picture.jpg");
    widths.add(wide, owner);
    widths.add(narrow, owner);
    const int wideWidth = owner.fontMetrics().horizontalAdvance(wide);
    EXPECT_EQ(widths.widest(), wideWidth);

    QFont big = owner.font();
    if (big.pointSize() > 0)
        big.setPointSize(big.pointSize() * 3);
    else
        big.setPixelSize(big.pixelSize() * 3);
    owner.setFont(big);
    widths.add(narrow, owner);
    EXPECT_EQ(widths.widest(), std::max(wideWidth, owner.fontMetrics().horizontalAdvance(narrow)));
    EXPECT_GE(widths.widestBound(), widths.widest());

    widths.clear();
    EXPECT_EQ(std::pair(widths.widest(), widths.widestBound()), std::pair(0, 0));
    widths.add(narrow, owner);
    EXPECT_EQ(widths.widest(), owner.fontMetrics().horizontalAdvance(narrow));
}

// Records spread over several long reads give the same caption and display fields as reading
// each record whole; records the file does not hold whole, or beyond the last one asked for,
// cannot be read.
TEST(ListedRecordsTest, MatchesWholeRecordsAndStopsAtTheFileEnd) {
    const QString path = mtest::freshDir("listedrecords") + "/q.qu3";
    constexpr int kRecords = 150;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QueueEntry e;
    for (int r = 1; r <= kRecords; ++r) {
        e.setFilePath(QStringLiteral("/pictures/record %1.jpg   ").arg(r));
        e.setWidth(static_cast<std::int16_t>(r * 7));
        e.setHeight(static_cast<std::int16_t>(r * 3));
        e.setResizeMode(static_cast<std::uint8_t>(r % 4));
        ASSERT_TRUE(file.seek(qu3::recordOffset(r)));
        ASSERT_EQ(file.write(reinterpret_cast<const char*>(e.data()), qu3::kRecordSize), qint64(qu3::kRecordSize));
    }
    file.resize(qu3::recordOffset(kRecords) + qu3::kRecordSize - 1);
    file.close();

    const ListedRecords listed(path, qu3::kMaxEntries);
    queuefile::RecordReader whole(path);
    ASSERT_TRUE(listed.isOpen());
    QueueEntry fromList, fromFile;
    for (int r = 1; r < kRecords; ++r) {
        ASSERT_TRUE(listed.read(r, fromList) && whole.read(r, fromFile)) << r;
        EXPECT_EQ(std::tuple(fromList.trimmedPath(), fromList.width(), fromList.height(), fromList.resizeMode()),
                  std::tuple(fromFile.trimmedPath(), fromFile.width(), fromFile.height(), fromFile.resizeMode()))
            << r;
    }
    EXPECT_FALSE(listed.read(kRecords, fromList) || listed.read(0, fromList) || listed.read(-1, fromList));

    const ListedRecords firstTen(path, 10);
    EXPECT_TRUE(firstTen.read(10, fromList));
    EXPECT_FALSE(firstTen.read(11, fromList));
    EXPECT_FALSE(ListedRecords(path + ".missing", 10).isOpen());
}

} // namespace
