// SPDX-License-Identifier: MIT
#include "queue/FolderQueue.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include <limits>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

// Readable names in failure messages (found by argument-dependent lookup, so not in a namespace).
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

void touch(const QString& dir, const QString& name, const QByteArray& bytes = "x") {
    ASSERT_TRUE(mtest::writeFile(dir + "/" + name, bytes)) << name.toStdString();
}

QStringList scan(const QString& dir, const QString& mask = FolderQueue::defaultMask(), bool hidden = true) {
    QStringList list;
    EXPECT_TRUE(FolderQueue::scanFolder(list, dir, mask, hidden));
    return list;
}

// --- which names a mask picks up -------------------------------------------------------

struct MaskCase {
    const char* label;
    QStringList files;
    QString mask;
    QStringList expected; // in list order
};

void PrintTo(const MaskCase& c, std::ostream* os) {
    *os << c.label;
}

class MaskMatching : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskMatching, ListsMatchingNamesSorted) {
    const MaskCase& c = GetParam();
    const QString dir = mtest::freshDir("mask");
    for (const QString& f : c.files)
        touch(dir, f);
    EXPECT_EQ(scan(dir, c.mask), c.expected);
}

const QString kDefault = FolderQueue::defaultMask();

INSTANTIATE_TEST_SUITE_P(
    Folder, MaskMatching,
    ::testing::Values(
        MaskCase{"MixedCaseSortedIgnoringCase", {"b.JPG", "a.gif", "C.png"}, kDefault, {"a.gif", "b.JPG", "C.png"}},
        MaskCase{"UpperCaseExtensions",
                 {"X.JPEG", "Y.TIF", "Z.TGA", "W.PCX", "V.RLE", "U.BMP", "T.JPE"},
                 kDefault,
                 {"T.JPE", "U.BMP", "V.RLE", "W.PCX", "X.JPEG", "Y.TIF", "Z.TGA"}},
        MaskCase{"EveryDefaultType",
                 {"1.jpg", "2.gif", "3.bmp", "4.pcx", "5.png", "6.rle", "7.tif", "8.tga", "9.jpeg", "10.jpe"},
                 kDefault,
                 {"1.jpg", "10.jpe", "2.gif", "3.bmp", "4.pcx", "5.png", "6.rle", "7.tif", "8.tga", "9.jpeg"}},
        MaskCase{
            "OtherFilesLeftOut", {"notes.txt", "a.jpg.txt", "jpg", "b.jpgx", "c.tiff", "d.jpg"}, kDefault, {"d.jpg"}},
        MaskCase{"NoImagesGivesEmptyList", {"readme.txt", "song.mid"}, kDefault, {}},
        MaskCase{"NameMatchingTwoPartsListedTwice", {"a.jpg", "b.png"}, "*.jpg;a.*", {"a.jpg", "a.jpg"}},
        MaskCase{"QuestionMarkIsOneCharacter", {"a1.png", "a12.png", "a.png"}, "a?.png", {"a1.png"}},
        MaskCase{"BracketsAreLiteral", {"[a].png", "a.png"}, "[a].png", {"[a].png"}},
        MaskCase{"EmptyAndSpacedPartsIgnored", {"a.png", "b.gif"}, " *.png ;;", {"a.png"}},
        MaskCase{"StarMatchesDotsInName", {"my.holiday.photo.JPG"}, kDefault, {"my.holiday.photo.JPG"}},
        MaskCase{"NamesEqualButForCaseBothKept", {"a.jpg", "A.jpg"}, kDefault, {"A.jpg", "a.jpg"}}),
    [](const ::testing::TestParamInfo<MaskCase>& info) { return std::string(info.param.label); });

// --- what else lies in the folder ------------------------------------------------------

// Only regular files (or links to them) are listed; hidden ones only when asked. Subfolders
// are neither listed nor entered, and fifos named like images never reach the decoder.
TEST(FolderScan, ListsOnlyRegularFiles) {
    const QString dir = mtest::freshDir("contents");
    const QString other = mtest::freshDir("contents-target");
    touch(dir, ".secret.jpg");
    touch(dir, "plain.jpg");
    ASSERT_TRUE(QDir(dir).mkpath("x.jpg"));
    ASSERT_TRUE(QDir(dir).mkpath("inner"));
    touch(dir + "/inner", "deep.jpg");
    touch(dir + "/x.jpg", "deeper.png");
    touch(other, "real.jpg");
    ASSERT_TRUE(QDir(other).mkpath("folder.jpg"));
    ASSERT_TRUE(QFile::link(other + "/real.jpg", dir + "/link.jpg"));
    ASSERT_TRUE(QFile::link(other + "/folder.jpg", dir + "/dirlink.jpg"));
    ASSERT_TRUE(QFile::link(other + "/missing.jpg", dir + "/broken.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/pipe.jpg").constData(), 0600), 0);
    const QString cwd = QDir::currentPath();

    EXPECT_EQ(scan(dir), QStringList({".secret.jpg", "link.jpg", "plain.jpg"}));
    EXPECT_EQ(scan(dir + "/", FolderQueue::defaultMask(), false), QStringList({"link.jpg", "plain.jpg"}));
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST(FolderScan, SortsInTheUsersLocale) {
    const QString dir = mtest::freshDir("locale");
    for (const char* f : {"Zebra.jpg", "\xc3\x84rger.jpg", "apfel.JPG", "\xc3\xa4hre.png"})
        touch(dir, QString::fromUtf8(f));
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList list = scan(dir);
    QLocale::setDefault(before);
    // Umlauts sort with their base letter in German, not after 'z' as by code point.
    EXPECT_EQ(list, QStringList({QString::fromUtf8("\xc3\xa4hre.png"), "apfel.JPG",
                                 QString::fromUtf8("\xc3\x84rger.jpg"), "Zebra.jpg"}));
}

// --- failures --------------------------------------------------------------------------

TEST(FolderScan, UnreadableFolderFailsAndKeepsList) {
    const QStringList previous{"old1.jpg", "old2.jpg"};
    const QString base = mtest::freshDir("fail");
    touch(base, "plain-file.jpg");

    const QString locked = base + "/locked";
    ASSERT_TRUE(QDir(base).mkpath("locked"));
    touch(locked, "a.jpg");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    const bool rootCanReadAnyway = ::access(QFile::encodeName(locked).constData(), R_OK) == 0;

    struct Bad {
        const char* label;
        QString folder;
    };
    std::vector<Bad> bad{{"missing", base + "/nope"}, {"empty path", ""}, {"a file", base + "/plain-file.jpg"}};
    if (!rootCanReadAnyway) bad.push_back({"no read permission", locked});

    for (const Bad& b : bad) {
        SCOPED_TRACE(b.label);
        QStringList list = previous;
        EXPECT_FALSE(FolderQueue::scanFolder(list, b.folder, FolderQueue::defaultMask(), true));
        EXPECT_EQ(list, previous);
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

TEST(FolderScan, SuccessfulScanReplacesPreviousList) {
    const QString dir = mtest::freshDir("replace");
    QStringList list{"stale.jpg"};
    ASSERT_TRUE(FolderQueue::scanFolder(list, dir, FolderQueue::defaultMask(), true));
    EXPECT_TRUE(list.isEmpty());
}

// --- positions -------------------------------------------------------------------------

TEST(FolderQueuePositions, ImageOfPositionBounds) {
    const QString dir = mtest::freshDir("pos");
    touch(dir, "b.png");
    touch(dir, "a.png");
    touch(dir, "c.png");
    FolderQueue q;
    ASSERT_EQ(q.refreshBeforeChange(dir + "/"), 3);

    EXPECT_EQ(q.imageOfPosition(1, dir + "/"), dir + "/a.png");
    EXPECT_EQ(q.imageOfPosition(3, dir + "/"), dir + "/c.png");
    for (int p : {0, -1, 4, 1000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(q.imageOfPosition(p, dir + "/").isEmpty());
    }
    // A folder given without its separator still gives a path inside it.
    EXPECT_EQ(q.imageOfPosition(2, dir), dir + "/b.png");
    EXPECT_TRUE(q.imageOfPosition(1, QString()).isEmpty());

    q.clearList();
    EXPECT_EQ(q.count(), 0);
    EXPECT_TRUE(q.imageOfPosition(1, dir + "/").isEmpty());
}

TEST(FolderQueuePositions, DefaultMaskAndSettableMask) {
    const QString dir = mtest::freshDir("setmask");
    touch(dir, "a.png");
    touch(dir, "b.webp");
    touch(dir, "c.webp");
    FolderQueue q;
    EXPECT_EQ(q.mask(), "*.jpg;*.gif;*.bmp;*.pcx;*.png;*.rle;*.tif;*.tga;*.jpeg;*.jpe");
    EXPECT_EQ(q.refreshBeforeChange(dir), 1);
    q.setMask("*.webp");
    q.markChanged();
    EXPECT_EQ(q.refreshBeforeChange(dir), 2);
    EXPECT_EQ(q.names(), QStringList({"b.webp", "c.webp"}));
}

} // namespace
