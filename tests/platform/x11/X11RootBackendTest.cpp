// SPDX-License-Identifier: MIT
#include "platform/x11/X11RootBackend.h"
#include "platform/x11/ScreenInfo.h"
#include "platform/x11/X11ScreenState.h"

#include "../../imaging/FileBytes.h"
#include "TestSupport.h"
#include "X11TestSupport.h"

#include <algorithm>
#include <tuple>

namespace {

using namespace x11test;
using filebytes::bmpFile;
using filebytes::littleEndian;

// Top-left, top-right, bottom-left and bottom-right quarter of every test picture.
constexpr std::uint32_t kQuadrants[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
// Exact in 8-, 16- and 24-bit visuals, so read-back compares without rounding.
constexpr std::uint32_t kBackground = 0xFF00FF;

int quadrant(int x, int y, int w, int h) {
    return (y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1);
}

enum class BmpKind { TrueColor24, Palette8 };

// A w x h Windows BMP (uncompressed, bottom-up) in four solid quarters, of the two kinds the
// wallpaper bitmap comes in. Its name has blanks, an accent and a line break, which the path
// must survive.
QString makeQuadrantBmp(int w, int h, BmpKind kind) {
    const bool palette = kind == BmpKind::Palette8;
    QByteArray rows;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const int q = quadrant(x, y, w, h);
            const std::uint32_t c = kQuadrants[q];
            rows += palette ? littleEndian(quint8(q)) : littleEndian(quint8(c), quint8(c >> 8), quint8(c >> 16));
        }
        rows.append((4 - rows.size() % 4) % 4, '\0'); // rows end on four bytes
    }
    // Unused entries are grey, so a wrong index shows as a wrong colour.
    std::vector<quint32> colours(palette ? 256 : 0, 0x808080);
    std::copy_n(kQuadrants, palette ? 4 : 0, colours.begin());
    const QString path = mtest::freshDir("bmp") + QStringLiteral("/Fond d'écran\n%1x%2.bmp").arg(w).arg(h);
    EXPECT_TRUE(mtest::writeFile(path, bmpFile(w, h, palette ? 8 : 24, 0, colours, rows)));
    return path;
}

// A w x h picture on an sw x sh screen, tiled from the top-left or centred; an odd
// overhang is cut the same way whether the picture is larger or smaller (shift = floor).
struct Layout {
    int sw, sh, w, h;
    bool tiled;

    std::uint32_t expectedAt(int x, int y) const {
        if (tiled) return kQuadrants[quadrant(x % w, y % h, w, h)];
        const int ix = x - ((sw - w) >> 1);
        const int iy = y - ((sh - h) >> 1);
        if (ix < 0 || iy < 0 || ix >= w || iy >= h) return kBackground;
        return kQuadrants[quadrant(ix, iy, w, h)];
    }
};

// Every pixel, of our pixmap and of the root window, which shows it (nothing covers it on a bare server).
void expectScreenShows(Display* d, const Layout& layout) {
    const Pixmap pixmap = rootPixmap(d);
    ASSERT_NE(pixmap, static_cast<Pixmap>(None));
    EXPECT_EQ(rootLong(d, "ESETROOT_PMAP_ID", XA_PIXMAP), pixmap);
    for (const Drawable drawable : {Drawable(pixmap), DefaultRootWindow(d)}) {
        const std::vector<std::uint32_t> shown = colours(d, drawable, 0, 0, layout.sw, layout.sh);
        ASSERT_EQ(shown.size(), std::size_t(layout.sw * layout.sh));
        for (int y = 0; y < layout.sh; ++y)
            for (int x = 0; x < layout.sw; ++x)
                ASSERT_EQ(shown[y * layout.sw + x], layout.expectedAt(x, y)) << "at " << x << "," << y;
    }
}

constexpr std::uint32_t kClearColour = 0x123456;

// Shows the bitmap, or clears the desktop for an empty path; a failure says why.
::testing::AssertionResult applied(X11RootBackend& backend, const QString& path, bool tiled) {
    QString error;
    const bool done = path.isEmpty() ? backend.clearWallpaper(kClearColour, &error)
                                     : backend.setWallpaper(path, tiled, kBackground, &error);
    return done ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << error.toStdString();
}

class X11RootBackendTest : public ServerTest<false> {
protected:
    X11RootBackend m_backend;
};

TEST_F(X11RootBackendTest, ShowsTheBitmapTiledOrCentred) {
    using K = BmpKind;
    using C = std::tuple<int, int, BmpKind, bool>;
    for (const auto& [w, h, kind, tiled] : {C{100, 60, K::TrueColor24, true}, C{100, 60, K::TrueColor24, false},
                                            C{100, 60, K::Palette8, true}, C{100, 60, K::Palette8, false},
                                            // odd sizes: the half-pixel of centring, seams off the screen's grid
                                            C{101, 61, K::TrueColor24, true}, C{101, 61, K::TrueColor24, false},
                                            // larger than the screen: cropped around its centre, or one tile's top-left
                                            C{1100, 800, K::TrueColor24, false}, C{1100, 800, K::TrueColor24, true},
                                            // exactly the screen, and wider but lower than it
                                            C{1024, 768, K::Palette8, false}, C{2000, 50, K::TrueColor24, false},
                                            C{1, 1, K::TrueColor24, true}, C{2, 1, K::Palette8, false}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h << (kind == K::Palette8 ? " palette" : " true colour")
                                        << (tiled ? " tiled" : " centred"));
        ASSERT_TRUE(applied(m_backend, makeQuadrantBmp(w, h, kind), tiled));
        expectScreenShows(m_x.display, {1024, 768, w, h, tiled});
    }
}

TEST(X11ServerShape, ReportsTheScreenAndDrawsInItsVisual) {
    for (const auto& [width, height, depth] :
         {std::tuple{1024, 768, 24}, std::tuple{800, 600, 16}, std::tuple{640, 480, 8}}) {
        SCOPED_TRACE(depth);
        XvfbSession::Options options;
        options.size = QSize(width, height);
        options.depth = depth;
        XvfbSession session(options);
        ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
        EXPECT_EQ(platform::primaryScreenSize(), std::optional<QSize>(QSize(width, height)));
        EXPECT_EQ(platform::primaryScreenDepth(), depth);
        X11RootBackend backend;
        Connection x;
        const QString path = makeQuadrantBmp(100, 60, BmpKind::Palette8);
        for (const bool tiled : {true, false}) {
            ASSERT_TRUE(applied(backend, path, tiled));
            expectScreenShows(x.display, {width, height, 100, 60, tiled});
        }
    }
}

// A clear publishes a solid colour: deleting the properties would let a compositor show its own grey.
TEST_F(X11RootBackendTest, EveryChangeFreesThePreviousPixmapClearShowsTheColourAndAFailureKeepsIt) {
    const QString a = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    const QString b = makeQuadrantBmp(37, 23, BmpKind::Palette8);
    Pixmap previous = None;
    // An empty name stands for a clear.
    for (const QString& path : {a, b, QString(), b, a, QString(), QString(), a}) {
        ASSERT_TRUE(applied(m_backend, path, path == a));
        const Pixmap now = rootPixmap(m_x.display);
        ASSERT_NE(now, static_cast<Pixmap>(None));
        EXPECT_EQ(rootLong(m_x.display, "ESETROOT_PMAP_ID", XA_PIXMAP), now);
        // The server may give the new pixmap the freed one's id.
        if (previous != None && previous != now) {
            EXPECT_FALSE(pixmapExists(m_x.display, previous));
        }
        previous = now;
        if (!path.isEmpty()) continue;
        for (const Drawable drawable : {Drawable(now), m_x.root}) {
            const std::vector<std::uint32_t> shown = colours(m_x.display, drawable, 0, 0, 1024, 768);
            EXPECT_EQ(std::count(shown.begin(), shown.end(), kClearColour), 1024 * 768);
        }
        EXPECT_TRUE(m_backend.currentWallpaper().isEmpty());
    }
    // An unreadable bitmap keeps the wallpaper and says why.
    const QString dir = mtest::freshDir("bad");
    ASSERT_TRUE(mtest::writeFile(dir + "/text.bmp", "this is not a bitmap"));
    ASSERT_TRUE(mtest::writeFile(dir + "/cut.bmp", mtest::readFile(a).left(20)));
    for (const QString& bad : {dir + "/missing.bmp", dir + "/text.bmp", dir + "/cut.bmp"}) {
        QString error;
        EXPECT_FALSE(m_backend.setWallpaper(bad, true, kBackground, &error)) << bad.toStdString();
        EXPECT_TRUE(error.contains(bad)) << error.toStdString();
    }
    EXPECT_EQ(rootPixmap(m_x.display), previous);
    EXPECT_TRUE(pixmapExists(m_x.display, previous));
    EXPECT_EQ(m_backend.currentWallpaper(), a);
}

// Publishes a pixmap the way other root setters do, retained after its connection closes
// (what it shows does not matter here). Under both names it is marked for the next setter to free.
Pixmap publishForeign(bool bothNames) {
    Connection c;
    Display* d = c.display;
    const Pixmap p = XCreatePixmap(d, c.root, 1024, 768, DefaultDepth(d, 0));
    const auto value = reinterpret_cast<const unsigned char*>(&p);
    XChangeProperty(d, c.root, atom(d, "_XROOTPMAP_ID"), XA_PIXMAP, 32, PropModeReplace, value, 1);
    if (bothNames)
        XChangeProperty(d, c.root, atom(d, "ESETROOT_PMAP_ID"), XA_PIXMAP, 32, PropModeReplace, value, 1);
    else
        XDeleteProperty(d, c.root, atom(d, "ESETROOT_PMAP_ID"));
    XSetCloseDownMode(d, RetainPermanent);
    XSync(d, False);
    return p;
}

// Another program's wallpaper is not ours. A pixmap only _XROOTPMAP_ID names may belong to a
// live program, which killing it would kill; under both names it is marked for the next setter.
TEST_F(X11RootBackendTest, ForeignPixmapsAreFreedOnlyWhenBothNamesMarkThemAndAreNeverOurs) {
    const QString path = makeQuadrantBmp(100, 60, BmpKind::TrueColor24);
    ASSERT_TRUE(applied(m_backend, path, false));
    for (const bool bothNames : {false, true}) {
        const Pixmap foreign = publishForeign(bothNames);
        ASSERT_TRUE(pixmapExists(m_x.display, foreign));
        EXPECT_TRUE(m_backend.currentWallpaper().isEmpty());
        ASSERT_TRUE(applied(m_backend, path, true));
        EXPECT_EQ(m_backend.currentWallpaper(), path);
        EXPECT_EQ(pixmapExists(m_x.display, foreign), !bothNames) << "both names: " << bothNames;
    }
    // The next setter frees ours first; its fresh connection often gets the same id back.
    XKillClient(m_x.display, rootPixmap(m_x.display));
    XSync(m_x.display, False);
    publishForeign(true);
    EXPECT_TRUE(m_backend.currentWallpaper().isEmpty());
}

TEST(ColorDepth, NormalisesBitsPerPixel) {
    // An unreadable depth (0, -1) must not mean "reduce to one colour".
    using P = std::pair<int, int>;
    for (const auto& [bits, depth] :
         {P{1, 1}, P{2, 2}, P{3, 3}, P{4, 4}, P{5, 4}, P{6, 4}, P{7, 4}, P{8, 8}, P{9, 8}, P{12, 8}, P{14, 8},
          P{15, 24}, P{16, 24}, P{24, 24}, P{32, 24}, P{0, 24}, P{-1, 24}})
        EXPECT_EQ(platform::normaliseColorDepth(bits), depth) << bits << " bits per pixel";
}

// DISPLAY unset, or naming a server that is not there.
TEST(X11WithoutDisplay, EveryQuestionHasAQuietAnswerAndEveryChangeAReason) {
    const QByteArray saved = qgetenv("DISPLAY");
    for (const char* display : {static_cast<const char*>(nullptr), ":4999"}) {
        SCOPED_TRACE(display ? display : "unset");
        display ? qputenv("DISPLAY", display) : qunsetenv("DISPLAY");
        EXPECT_EQ(std::pair(platform::primaryScreenSize().has_value(), platform::primaryScreenDepth()),
                  std::pair(false, 0));

        X11ScreenState state;
        // Active, switched on, running, a full-screen window in front.
        EXPECT_EQ(std::vector<bool>({state.screenSaverActive(), state.setScreenSaverActive(true),
                                     state.screenSaverRunning(), state.fullScreenForeground(1024, 768)}),
                  std::vector<bool>(4, false));

        X11RootBackend backend;
        QString error;
        EXPECT_FALSE(backend.setWallpaper(mtest::freshDir("nodisplay") + "/none.bmp", true, 0, &error));
        EXPECT_TRUE(error.contains(display ? display : "DISPLAY")) << error.toStdString();
        error.clear();
        EXPECT_FALSE(backend.clearWallpaper(0, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(backend.currentWallpaper().isEmpty());
    }
    qputenv("DISPLAY", saved);
}

} // namespace
