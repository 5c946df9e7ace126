// SPDX-License-Identifier: MIT
#include "platform/x11/X11RootBackend.h"

// gtest and Qt before Xlib, whose macros (None, Bool, Status) clash with them.
#include <gtest/gtest.h>

#include <QFile>

#include "TestSupport.h"
#include "X11TestSupport.h"
#include "XvfbSession.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace {

using x11test::Connection;
using x11test::pixelAt;
using x11test::pixmapExists;
using x11test::rootLong;

constexpr std::uint32_t kTopLeft = 0xFF0000;
constexpr std::uint32_t kTopRight = 0x00FF00;
constexpr std::uint32_t kBottomLeft = 0x0000FF;
constexpr std::uint32_t kBottomRight = 0xFFFF00;
// Exact in 8-, 16- and 24-bit visuals, so read-back compares without rounding.
constexpr std::uint32_t kBackground = 0xFF00FF;

std::uint32_t quadrant(int x, int y, int w, int h) {
    const bool left = x < w / 2;
    const bool top = y < h / 2;
    return top ? (left ? kTopLeft : kTopRight) : (left ? kBottomLeft : kBottomRight);
}

enum class BmpKind { TrueColor24, Palette8 };

void putLe(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A w x h Windows BMP (uncompressed, bottom-up, 40-byte header) with four solid quadrants,
// the two kinds the wallpaper bitmap comes in.
QString makeQuadrantBmp(int w, int h, BmpKind kind) {
    const std::uint32_t colours[4] = {kTopLeft, kTopRight, kBottomLeft, kBottomRight};
    const int bits = kind == BmpKind::Palette8 ? 8 : 24;
    const int stride = (w * bits / 8 + 3) & ~3;
    const int paletteSize = kind == BmpKind::Palette8 ? 256 * 4 : 0;
    const int offset = 14 + 40 + paletteSize;
    QByteArray bmp("BM");
    putLe(bmp, offset + stride * h, 4);
    putLe(bmp, 0, 4);
    putLe(bmp, offset, 4);
    putLe(bmp, 40, 4);
    putLe(bmp, w, 4);
    putLe(bmp, h, 4);
    putLe(bmp, 1, 2);
    putLe(bmp, bits, 2);
    putLe(bmp, 0, 4); // no compression
    putLe(bmp, stride * h, 4);
    putLe(bmp, 2835, 4);
    putLe(bmp, 2835, 4);
    putLe(bmp, kind == BmpKind::Palette8 ? 256 : 0, 4);
    putLe(bmp, 0, 4);
    if (kind == BmpKind::Palette8)
        for (int i = 0; i < 256; ++i) {
            // Unused entries get a colour of their own so a wrong index shows as a wrong colour.
            const std::uint32_t c = i < 4 ? colours[i] : 0x808080;
            putLe(bmp, c & 0xFFFFFF, 4); // stored B, G, R, 0
        }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = quadrant(x, y, w, h);
            if (kind == BmpKind::Palette8)
                row.append(static_cast<char>(std::find(colours, colours + 4, c) - colours));
            else
                putLe(row, c, 3);
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        bmp.append(row);
    }
    const QString path = mtest::freshDir("bmp") + QStringLiteral("/quad-%1x%2.bmp").arg(w).arg(h);
    EXPECT_TRUE(mtest::writeFile(path, bmp));
    return path;
}

int bmpBitsPerPixel(const QString& path) {
    const QByteArray bytes = mtest::readFile(path);
    return bytes.size() > 29 ? static_cast<unsigned char>(bytes[28]) | (static_cast<unsigned char>(bytes[29]) << 8)
                             : -1;
}

int floorHalf(int a) {
    return a >= 0 ? a / 2 : -((-a + 1) / 2);
}

// What the screen must show at (x, y).
std::uint32_t expectedAt(int x, int y, int sw, int sh, int w, int h, bool tiled) {
    if (tiled) return quadrant(x % w, y % h, w, h);
    const int ox = floorHalf(sw - w);
    const int oy = floorHalf(sh - h);
    const int ix = x - ox;
    const int iy = y - oy;
    if (ix < 0 || iy < 0 || ix >= w || iy >= h) return kBackground;
    return quadrant(ix, iy, w, h);
}

// Corners, seams, edges and quadrant borders of the picture, each with its neighbours.
std::vector<std::pair<int, int>> interestingPoints(int sw, int sh, int w, int h, bool tiled) {
    std::set<int> xs{0, sw - 1, sw / 2 - 1, sw / 2};
    std::set<int> ys{0, sh - 1, sh / 2 - 1, sh / 2};
    const int ox = tiled ? 0 : floorHalf(sw - w);
    const int oy = tiled ? 0 : floorHalf(sh - h);
    for (int k = 0; k < (tiled ? 3 : 1); ++k)
        for (int d : {-1, 0}) {
            xs.insert(ox + k * w + d);
            xs.insert(ox + k * w + w / 2 + d);
            xs.insert(ox + (k + 1) * w + d);
            ys.insert(oy + k * h + d);
            ys.insert(oy + k * h + h / 2 + d);
            ys.insert(oy + (k + 1) * h + d);
        }
    std::vector<std::pair<int, int>> points;
    for (int x : xs)
        for (int y : ys)
            if (x >= 0 && y >= 0 && x < sw && y < sh) points.emplace_back(x, y);
    return points;
}

void expectScreenShows(Display* d, int sw, int sh, int w, int h, bool tiled) {
    const Pixmap pixmap = rootLong(d, "_XROOTPMAP_ID", XA_PIXMAP);
    ASSERT_NE(pixmap, static_cast<Pixmap>(None));
    EXPECT_EQ(rootLong(d, "ESETROOT_PMAP_ID", XA_PIXMAP), pixmap);
    for (const auto& [x, y] : interestingPoints(sw, sh, w, h, tiled)) {
        const auto got = pixelAt(d, pixmap, x, y);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, expectedAt(x, y, sw, sh, w, h, tiled)) << "at " << x << "," << y;
    }
    // The root window itself shows it too (nothing covers it on a bare server).
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{sw / 2, sh / 2}, std::pair{sw - 1, sh - 1}}) {
        const auto got = pixelAt(d, DefaultRootWindow(d), x, y);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, expectedAt(x, y, sw, sh, w, h, tiled)) << "root window at " << x << "," << y;
    }
}

class X11RootBackendTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_session = std::make_unique<XvfbSession>(); }
    static void TearDownTestSuite() { s_session.reset(); }
    void SetUp() override { ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString(); }

    static inline std::unique_ptr<XvfbSession> s_session;
    X11RootBackend m_backend;
};

struct Case {
    int w;
    int h;
    BmpKind kind;
    bool tiled;
};

class X11RootBackendPlacement : public X11RootBackendTest, public ::testing::WithParamInterface<Case> {};

TEST_P(X11RootBackendPlacement, ShowsTheBitmapTiledOrCentred) {
    const Case c = GetParam();
    const QString path = makeQuadrantBmp(c.w, c.h, c.kind);
    ASSERT_EQ(bmpBitsPerPixel(path), c.kind == BmpKind::Palette8 ? 8 : 24);
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(path, c.tiled, kBackground, &error)) << error.toStdString();
    Connection x;
    ASSERT_NE(x.display, nullptr);
    expectScreenShows(x.display, 1024, 768, c.w, c.h, c.tiled);
    EXPECT_EQ(m_backend.currentWallpaper(), path);
}

INSTANTIATE_TEST_SUITE_P(
    Images, X11RootBackendPlacement,
    ::testing::Values(Case{100, 60, BmpKind::TrueColor24, true}, Case{100, 60, BmpKind::TrueColor24, false},
                      Case{100, 60, BmpKind::Palette8, true}, Case{100, 60, BmpKind::Palette8, false},
                      // odd sizes: the half-pixel of centring and seams that do not divide the screen
                      Case{101, 61, BmpKind::TrueColor24, true}, Case{101, 61, BmpKind::TrueColor24, false},
                      // larger than the screen: cropped around its centre, or one tile's top-left
                      Case{1100, 800, BmpKind::TrueColor24, false}, Case{1100, 800, BmpKind::TrueColor24, true},
                      // exactly the screen, and wider but lower than it
                      Case{1024, 768, BmpKind::Palette8, false}, Case{2000, 50, BmpKind::TrueColor24, false},
                      Case{1, 1, BmpKind::TrueColor24, true}, Case{2, 1, BmpKind::Palette8, false}));

TEST_F(X11RootBackendTest, ClearPublishesASolidColourAndForgetsThePath) {
    const QString path = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(path, true, kBackground, &error)) << error.toStdString();
    Connection x;
    const Pixmap before = rootLong(x.display, "_XROOTPMAP_ID", XA_PIXMAP);

    ASSERT_TRUE(m_backend.clearWallpaper(0x123456, &error)) << error.toStdString();
    const Pixmap after = rootLong(x.display, "_XROOTPMAP_ID", XA_PIXMAP);
    // Deleting the properties would let a compositor show its own grey.
    ASSERT_NE(after, static_cast<Pixmap>(None));
    EXPECT_EQ(rootLong(x.display, "ESETROOT_PMAP_ID", XA_PIXMAP), after);
    EXPECT_FALSE(pixmapExists(x.display, before));
    for (const auto& [px, py] : interestingPoints(1024, 768, 100, 60, true))
        EXPECT_EQ(pixelAt(x.display, after, px, py), std::optional<std::uint32_t>(0x123456)) << px << "," << py;
    EXPECT_EQ(pixelAt(x.display, x.root, 500, 500), std::optional<std::uint32_t>(0x123456));
    EXPECT_TRUE(m_backend.currentWallpaper().isEmpty());
}

TEST_F(X11RootBackendTest, EveryChangeFreesThePreviousPixmap) {
    const QString a = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    const QString b = makeQuadrantBmp(37, 23, BmpKind::Palette8);
    Connection x;
    std::vector<Pixmap> published;
    for (int i = 0; i < 12; ++i) {
        QString error;
        const bool ok = i % 4 == 3 ? m_backend.clearWallpaper(0x000000, &error)
                                   : m_backend.setWallpaper(i % 2 ? a : b, i % 3 == 0, kBackground, &error);
        ASSERT_TRUE(ok) << i << ": " << error.toStdString();
        published.push_back(rootLong(x.display, "_XROOTPMAP_ID", XA_PIXMAP));
    }
    for (size_t i = 0; i + 1 < published.size(); ++i)
        EXPECT_FALSE(pixmapExists(x.display, published[i]) && published[i] != published.back())
            << "pixmap of change " << i << " is still retained";
    EXPECT_TRUE(pixmapExists(x.display, published.back()));
}

// Publishes a solid pixmap the way other root setters do: retained by its own connection.
Pixmap publishForeign(std::uint32_t colour, bool retained) {
    Connection c;
    Display* d = c.display;
    const int s = DefaultScreen(d);
    const Pixmap p = XCreatePixmap(d, c.root, 1024, 768, DefaultDepth(d, s));
    GC gc = XCreateGC(d, p, 0, nullptr);
    XSetForeground(d, gc, colour); // 24-bit TrueColor: the pixel is the colour
    XFillRectangle(d, p, gc, 0, 0, 1024, 768);
    XFreeGC(d, gc);
    XChangeProperty(d, c.root, x11test::atom(d, "_XROOTPMAP_ID"), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&p), 1);
    if (retained)
        XChangeProperty(d, c.root, x11test::atom(d, "ESETROOT_PMAP_ID"), XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&p), 1);
    XSetCloseDownMode(d, RetainPermanent);
    XSync(d, False);
    return p;
}

TEST_F(X11RootBackendTest, FreesAnotherSettersRetainedPixmap) {
    Connection x;
    const Pixmap foreign = publishForeign(0x00AA00, true);
    ASSERT_TRUE(pixmapExists(x.display, foreign));
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(makeQuadrantBmp(10, 10, BmpKind::TrueColor24), true, 0, &error))
        << error.toStdString();
    EXPECT_FALSE(pixmapExists(x.display, foreign));
}

TEST_F(X11RootBackendTest, LeavesAPixmapThatOnlyOneNameMarks) {
    // A live program that set only _XROOTPMAP_ID still owns its pixmap; killing it would kill the program.
    Connection owner;
    const Pixmap p = XCreatePixmap(owner.display, owner.root, 8, 8, DefaultDepth(owner.display, 0));
    XChangeProperty(owner.display, owner.root, x11test::atom(owner.display, "_XROOTPMAP_ID"), XA_PIXMAP, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&p), 1);
    XDeleteProperty(owner.display, owner.root, x11test::atom(owner.display, "ESETROOT_PMAP_ID"));
    XSync(owner.display, False);
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(makeQuadrantBmp(10, 10, BmpKind::TrueColor24), false, 0, &error))
        << error.toStdString();
    Connection x;
    EXPECT_TRUE(pixmapExists(x.display, p));
    EXPECT_TRUE(pixmapExists(owner.display, p));
}

TEST_F(X11RootBackendTest, CurrentWallpaperIsOursOnlyWhileTheRootShowsOurPixmap) {
    const QString path = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(path, false, kBackground, &error)) << error.toStdString();
    EXPECT_EQ(m_backend.currentWallpaper(), path);

    publishForeign(0x0000AA, false);
    EXPECT_TRUE(m_backend.currentWallpaper().isEmpty());

    ASSERT_TRUE(m_backend.setWallpaper(path, true, kBackground, &error)) << error.toStdString();
    EXPECT_EQ(m_backend.currentWallpaper(), path);
}

TEST_F(X11RootBackendTest, ReusedPixmapIdOfAnotherSetterIsNotOurs) {
    const QString path = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(path, true, kBackground, &error)) << error.toStdString();
    Connection x;
    const Pixmap ours = rootLong(x.display, "_XROOTPMAP_ID", XA_PIXMAP);
    // The next setter frees ours first; its fresh connection often gets the same id back.
    XKillClient(x.display, ours);
    XSync(x.display, False);
    publishForeign(0x00AAAA, true);
    EXPECT_TRUE(m_backend.currentWallpaper().isEmpty());
}

TEST_F(X11RootBackendTest, PathsWithSpacesAndNonAsciiSurvive) {
    const QString dir = mtest::freshDir("bmp");
    const QString path = dir + QStringLiteral("/Fond d'écran\nzwei.bmp");
    ASSERT_TRUE(QFile::copy(makeQuadrantBmp(20, 20, BmpKind::TrueColor24), path));
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(path, true, 0, &error)) << error.toStdString();
    EXPECT_EQ(m_backend.currentWallpaper(), path);
}

TEST_F(X11RootBackendTest, UnreadableBitmapKeepsTheWallpaperAndSaysWhy) {
    const QString good = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    QString error;
    ASSERT_TRUE(m_backend.setWallpaper(good, true, kBackground, &error)) << error.toStdString();
    Connection x;
    const Pixmap before = rootLong(x.display, "_XROOTPMAP_ID", XA_PIXMAP);

    const QString dir = mtest::freshDir("bad");
    const QString notImage = dir + "/text.bmp";
    ASSERT_TRUE(mtest::writeFile(notImage, "this is not a bitmap"));
    QByteArray truncated = mtest::readFile(good);
    truncated.truncate(20);
    const QString cut = dir + "/cut.bmp";
    ASSERT_TRUE(mtest::writeFile(cut, truncated));
    for (const QString& bad : {dir + "/missing.bmp", notImage, cut}) {
        error.clear();
        EXPECT_FALSE(m_backend.setWallpaper(bad, true, kBackground, &error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(bad)) << error.toStdString();
    }
    EXPECT_EQ(rootLong(x.display, "_XROOTPMAP_ID", XA_PIXMAP), before);
    EXPECT_TRUE(pixmapExists(x.display, before));
    EXPECT_EQ(m_backend.currentWallpaper(), good);
}

TEST(X11RootBackendNoDisplay, FailsWithAClearMessage) {
    x11test::DisplayGuard guard;
    X11RootBackend backend;
    const QString path = mtest::freshDir("nodisplay") + "/none.bmp";
    for (const char* display : {static_cast<const char*>(nullptr), ":4999"}) {
        if (display)
            ::setenv("DISPLAY", display, 1);
        else
            ::unsetenv("DISPLAY");
        QString error;
        EXPECT_FALSE(backend.setWallpaper(path, true, 0, &error));
        EXPECT_TRUE(error.contains(display ? QString(display) : QStringLiteral("DISPLAY"))) << error.toStdString();
        error.clear();
        EXPECT_FALSE(backend.clearWallpaper(0, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(backend.currentWallpaper().isEmpty());
    }
}

class X11RootBackendDepth : public ::testing::TestWithParam<int> {};

TEST_P(X11RootBackendDepth, DrawsInTheServersVisual) {
    XvfbSession::Options options;
    options.depth = GetParam();
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    X11RootBackend backend;
    Connection x;
    ASSERT_NE(x.display, nullptr);
    ASSERT_EQ(DefaultDepth(x.display, 0), GetParam());
    const QString path = makeQuadrantBmp(100, 60, BmpKind::Palette8);
    for (const bool tiled : {true, false}) {
        QString error;
        ASSERT_TRUE(backend.setWallpaper(path, tiled, kBackground, &error)) << error.toStdString();
        expectScreenShows(x.display, 1024, 768, 100, 60, tiled);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, X11RootBackendDepth, ::testing::Values(8, 16, 24));

} // namespace
