// SPDX-License-Identifier: MIT
#include "platform/x11/X11RootBackend.h"
#include "platform/x11/BitmapRows.h"
#include "platform/x11/ScreenInfo.h"
#include "platform/x11/X11ScreenState.h"

#include "../../imaging/FileBytes.h"
#include "TestSupport.h"
#include "X11TestSupport.h"

#include <QFile>

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

// The kinds the wallpaper bitmap comes in, and two it does not: a 4-bit palette, and RLE
// compression, which the backend leaves to the imaging library.
enum class BmpKind { TrueColor24, Palette8, Palette4, Rle8 };

QByteArray quadrantRows(int w, int h, BmpKind kind) {
    QByteArray rows;
    for (int y = h - 1; y >= 0; --y) {
        const int start = rows.size();
        for (int x = 0; x < w; ++x) {
            const int q = quadrant(x, y, w, h);
            const std::uint32_t c = kQuadrants[q];
            if (kind == BmpKind::TrueColor24)
                rows += littleEndian(quint8(c), quint8(c >> 8), quint8(c >> 16));
            else if (kind == BmpKind::Palette4 && x % 2)
                rows.back() = char(rows.back() | q);
            else if (kind == BmpKind::Palette4)
                rows += char(q << 4);
            else if (kind == BmpKind::Rle8)
                rows += littleEndian(quint8(1), quint8(q)); // runs of one pixel
            else
                rows += littleEndian(quint8(q));
        }
        if (kind == BmpKind::Rle8)
            rows += littleEndian(quint8(0), quint8(y == 0 ? 1 : 0)); // end of row, or of the bitmap
        else
            rows.append((4 - (rows.size() - start) % 4) % 4, '\0'); // rows end on four bytes
    }
    return rows;
}

// A w x h Windows BMP (bottom-up) in four solid quarters. Its name has blanks, an accent and
// a line break, which the path must survive.
QString makeQuadrantBmp(int w, int h, BmpKind kind) {
    const bool palette = kind != BmpKind::TrueColor24;
    const quint16 bits = kind == BmpKind::TrueColor24 ? 24 : kind == BmpKind::Palette4 ? 4 : 8;
    // Unused entries are grey, so a wrong index shows as a wrong colour.
    std::vector<quint32> colours(palette ? (1u << bits) : 0, 0x808080);
    std::copy_n(kQuadrants, palette ? 4 : 0, colours.begin());
    const QString path = mtest::freshDir("bmp") + QStringLiteral("/Fond d'écran\n%1x%2.bmp").arg(w).arg(h);
    const quint32 compression = kind == BmpKind::Rle8 ? 1 : 0;
    EXPECT_TRUE(mtest::writeFile(path, bmpFile(w, h, bits, compression, colours, quadrantRows(w, h, kind))));
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

enum class Source { File, Memory };

// Shows the bitmap, from its file or from its bytes in memory, or clears the desktop for an
// empty path; a failure says why.
::testing::AssertionResult applied(X11RootBackend& backend, const QString& path, bool tiled,
                                   Source source = Source::File) {
    QString error;
    bool done = false;
    if (path.isEmpty())
        done = backend.clearWallpaper(kClearColour, &error);
    else if (source == Source::Memory) {
        const QByteArray bytes = mtest::readFile(path);
        QFile::remove(path); // the bytes alone must do
        done = backend.setWallpaperBitmap(path, bytes, tiled, kBackground, &error);
    } else
        done = backend.setWallpaper(path, tiled, kBackground, &error);
    return done ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << error.toStdString();
}

class X11RootBackendTest : public ServerTest<false> {
protected:
    X11RootBackend m_backend;
};

TEST_F(X11RootBackendTest, ShowsTheBitmapTiledOrCentred) {
    using K = BmpKind;
    using C = std::tuple<int, int, BmpKind, bool>;
    int count = 0;
    for (const auto& [w, h, kind, tiled] :
         {C{100, 60, K::TrueColor24, true}, C{100, 60, K::TrueColor24, false}, C{100, 60, K::Palette8, true},
          C{100, 60, K::Palette8, false},
          // odd sizes: the half-pixel of centring, seams off the screen's grid
          C{101, 61, K::TrueColor24, true}, C{101, 61, K::TrueColor24, false},
          // larger than the screen: cropped around its centre, or one tile's top-left
          C{1100, 800, K::TrueColor24, false}, C{1100, 800, K::TrueColor24, true},
          // exactly the screen, and wider but lower than it
          C{1024, 768, K::Palette8, false}, C{2000, 50, K::TrueColor24, false}, C{1, 1, K::TrueColor24, true},
          C{2, 1, K::Palette8, false}, C{101, 61, K::Palette4, false}, C{100, 60, K::Rle8, true}}) {
        // Every other case hands over the bytes the program has just written instead of the file.
        const Source source = ++count % 2 ? Source::File : Source::Memory;
        SCOPED_TRACE(testing::Message() << w << " x " << h << " kind " << int(kind) << (tiled ? " tiled" : " centred")
                                        << (source == Source::Memory ? " from memory" : " from the file"));
        ASSERT_TRUE(applied(m_backend, makeQuadrantBmp(w, h, kind), tiled, source));
        expectScreenShows(m_x.display, {1024, 768, w, h, tiled});
    }
}

// A bitmap read in place must lie wholly inside its bytes; anything else goes to the decoder.
TEST(BitmapRows, ReadsRowsInPlaceOnlyFromWholeUncompressedBitmaps) {
    const QByteArray good = bmpFile(3, 2, 8, 0, {0x102030, 0x405060}, QByteArray("\0\1\0\0\1\0\1\0", 8));
    const auto parse = [](const QByteArray& b) {
        return BitmapRows::parse(reinterpret_cast<const unsigned char*>(b.constData()), std::size_t(b.size()));
    };
    const auto rows = parse(good);
    ASSERT_TRUE(rows);
    std::uint8_t rgb[9];
    rows->rgbRow(0, 0, 3, rgb); // the top row is stored last
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(rgb), 9), QByteArray("\x40\x50\x60\x10\x20\x30\x40\x50\x60", 9));
    QByteArray topDown = good;
    topDown.replace(22, 4, littleEndian(qint32(-2)));
    parse(topDown)->rgbRow(0, 1, 1, rgb);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(rgb), 3), QByteArray("\x40\x50\x60", 3));

    const auto patched = [&](int at, const QByteArray& bytes) {
        return QByteArray(good).replace(at, bytes.size(), bytes);
    };
    for (const auto& [what, bytes] : {std::pair("cut short", good.left(good.size() - 1)),
                                      std::pair("pixels past the end", patched(10, littleEndian(quint32(good.size())))),
                                      std::pair("pixels inside the palette", patched(10, littleEndian(quint32(58)))),
                                      std::pair("no width", patched(18, littleEndian(qint32(0)))),
                                      std::pair("no height", patched(22, littleEndian(qint32(0)))),
                                      std::pair("too wide", patched(18, littleEndian(qint32(40000)))),
                                      std::pair("16 bits", patched(28, littleEndian(quint16(16)))),
                                      std::pair("compressed", patched(30, littleEndian(quint32(1)))),
                                      std::pair("small header", patched(14, littleEndian(quint32(12)))),
                                      std::pair("not a bitmap", patched(0, "PN"))})
        EXPECT_FALSE(parse(bytes)) << what;
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
