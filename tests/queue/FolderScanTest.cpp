// SPDX-License-Identifier: MIT
#include "QueueTestSupport.h"
#include "queue/FolderQueue.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <limits>
#include <tuple>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace qtest;

namespace {

// A successful scan replaces whatever the list held before.
QStringList scan(const QString& dir, const QString& mask = FolderQueue::defaultMask(), bool hidden = true) {
    QStringList list{"stale.jpg"};
    EXPECT_TRUE(FolderQueue::scanFolder(list, dir, mask, hidden));
    return list;
}

// Which names a mask picks up, in list order.
TEST(FolderScan, MaskTable) {
    const QString kDefault = FolderQueue::defaultMask();
    using L = QStringList;
    using M = std::tuple<const char*, QStringList, QString, QStringList>;
    for (const auto& [label, files, mask, expected] :
         {// Every type of the default mask, in either case, sorted ignoring case.
          M{"every default type",
            L{"f.RLE", "b.JPG", "a.gif", "C.png", "d.BMP", "E.pcx", "g.tif", "H.TGA", "i.jpeg", "J.JPE", "k.TIFF"},
            kDefault,
            L{"a.gif", "b.JPG", "C.png", "d.BMP", "E.pcx", "f.RLE", "g.tif", "H.TGA", "i.jpeg", "J.JPE", "k.TIFF"}},
          M{"other files left out",
            L{"notes.txt", "a.jpg.txt", "jpg", "b.jpgx", "c.tif.bak", "d.jpg", "my.holiday.photo.JPG"}, kDefault,
            L{"d.jpg", "my.holiday.photo.JPG"}},
          M{"names equal but for case in a fixed order", L{"x.jpg", "X.jpg", "x.JPG", "X.JPG"}, kDefault,
            L{"X.JPG", "X.jpg", "x.JPG", "x.jpg"}},
          M{"a name matching two parts is listed twice", L{"a.jpg", "b.png"}, "*.jpg;a.*", L{"a.jpg", "a.jpg"}},
          M{"? is one character", L{"a1.png", "a12.png", "a.png"}, "a?.png", L{"a1.png"}},
          M{"brackets are literal", L{"[a].png", "a.png"}, "[a].png", L{"[a].png"}},
          M{"empty and spaced parts ignored", L{"a.png", "b.gif"}, " *.png ;;", L{"a.png"}}}) {
        SCOPED_TRACE(label);
        const QString dir = mtest::freshDir("mask");
        for (const QString& f : files)
            touch(dir, f);
        EXPECT_EQ(scan(dir, mask), expected);
    }
}

// Only regular files (or links to them) are listed; hidden ones only when asked. Subfolders
// are neither listed nor entered, and fifos named like images never reach the decoder.
TEST(FolderScan, ListsOnlyRegularFiles) {
    const QString dir = mtest::freshDir("contents");
    const QString other = mtest::freshDir("contents-target");
    touch(dir, ".secret.jpg");
    touch(dir, "plain.jpg");
    ASSERT_TRUE(QDir(dir).mkpath("x.jpg"));
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

TEST(FolderScan, UnreadableFolderFailsAndKeepsList) {
    const QString base = mtest::freshDir("fail");
    touch(base, "plain-file.jpg");
    const QString locked = base + "/locked";
    ASSERT_TRUE(QDir(base).mkpath("locked"));
    touch(locked, "a.jpg");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);

    std::vector<QString> bad{base + "/nope", "", base + "/plain-file.jpg"};
    // Root reads the folder anyway.
    if (::access(QFile::encodeName(locked).constData(), R_OK) != 0) bad.push_back(locked);
    for (const QString& folder : bad) {
        SCOPED_TRACE(folder.toStdString());
        QStringList list{"old1.jpg", "old2.jpg"};
        EXPECT_FALSE(FolderQueue::scanFolder(list, folder, FolderQueue::defaultMask(), true));
        EXPECT_EQ(list, QStringList({"old1.jpg", "old2.jpg"}));
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

// Positions count the images of the default mask from 1; another mask is taken at the next rescan.
TEST(FolderQueuePositions, ImageOfPositionBoundsAndSettableMask) {
    const QString dir = mtest::freshDir("pos");
    for (const char* name : {"b.png", "a.png", "c.png", "d.webp", "e.webp"})
        touch(dir, name);
    FolderQueue q;
    ASSERT_EQ(q.refreshBeforeChange(dir + "/"), 3);
    EXPECT_EQ(q.imageOfPosition(1, dir + "/"), dir + "/a.png");
    EXPECT_EQ(q.imageOfPosition(3, dir + "/"), dir + "/c.png");
    for (int p : {0, -1, 4, 1000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
        EXPECT_TRUE(q.imageOfPosition(p, dir + "/").isEmpty()) << p;
    // A folder given without its separator still gives a path inside it; no folder gives no path.
    EXPECT_EQ(q.imageOfPosition(2, dir), dir + "/b.png");
    EXPECT_TRUE(q.imageOfPosition(1, QString()).isEmpty());

    q.setMask("*.webp");
    q.markChanged();
    EXPECT_EQ(q.refreshBeforeChange(dir), 2);
    EXPECT_EQ(q.names(), QStringList({"d.webp", "e.webp"}));
    q.clearList();
    EXPECT_EQ(q.count(), 0);
    EXPECT_TRUE(q.imageOfPosition(1, dir + "/").isEmpty());
}

} // namespace
