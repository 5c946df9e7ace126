// SPDX-License-Identifier: MIT
#include "X11RootBackend.h"

// Qt and the imaging headers before Xlib: Xlib defines macros (None, Status, Bool) that
// break them.
#include <QFile>

#include "imaging/Picbuf.h"

#include <Magick++.h>

#include "X11Connection.h"
#include "X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

namespace {

// The names other root-pixmap setters, terminals and compositors look for.
constexpr char kRootPixmapProperty[] = "_XROOTPMAP_ID";
constexpr char kSetrootPixmapProperty[] = "ESETROOT_PMAP_ID";
// Ours: "<pixmap id>\n<pixel fingerprint>\n<bitmap path>". currentWallpaper() relies on
// this layout; the fingerprint tells our pixmap apart from a later one that got the same id.
constexpr char kOwnProperty[] = "_MURALO32_WALLPAPER";
// X cannot make a pixmap side longer than this.
constexpr int kMaxSide = 32767;
// A larger wallpaper bitmap is not ours to show; refuse it before it eats the memory.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
constexpr qint64 kMaxFileBytes = kMaxPixels * 4 + 4096;
constexpr int kMinDecodableBytes = 128;

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

// The part of the bitmap that can be seen, as 8-bit RGB triplets.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// floor((a) / 2), so an odd overhang is cut the same way whether the image is larger or smaller.
int halfFloor(int a) {
    return a >= 0 ? a / 2 : -((-a + 1) / 2);
}

// Where the image lands on the screen and which part of it stays visible.
struct Placement {
    int srcX = 0, srcY = 0, dstX = 0, dstY = 0, width = 0, height = 0;
};

Placement place(int imageW, int imageH, int screenW, int screenH, bool tiled) {
    Placement p;
    if (tiled) {
        // Tiles start at the top-left; one tile larger than the screen shows its top-left part.
        p.width = std::min(imageW, screenW);
        p.height = std::min(imageH, screenH);
        return p;
    }
    const int ox = halfFloor(screenW - imageW);
    const int oy = halfFloor(screenH - imageH);
    p.dstX = std::max(0, ox);
    p.dstY = std::max(0, oy);
    p.srcX = std::max(0, -ox);
    p.srcY = std::max(0, -oy);
    p.width = std::min(imageW - p.srcX, screenW - p.dstX);
    p.height = std::min(imageH - p.srcY, screenH - p.dstY);
    return p;
}

QString unreadableMessage(const QString& path, const Magick::Exception& e) {
    return QStringLiteral("Cannot read the wallpaper bitmap \"%1\": %2").arg(path, QString::fromLocal8Bit(e.what()));
}

// Decodes the whole bitmap, after refusing sizes no screen could show.
bool readBitmap(const QString& path, Magick::Image* image, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot read the wallpaper bitmap \"%1\": %2").arg(path, file.errorString()));
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        setError(error, QStringLiteral("The wallpaper bitmap \"%1\" is too large").arg(path));
        return false;
    }
    QByteArray bytes = file.readAll();
    // GraphicsMagick 1.3 calls a BMP under about 66 bytes truncated (a 1x1 or 2x1 bitmap);
    // bytes after the pixel data are never read, so padding tiny files is harmless.
    if (bytes.size() < kMinDecodableBytes) bytes.append(QByteArray(kMinDecodableBytes - bytes.size(), '\0'));
    const Magick::Blob blob(bytes.constData(), static_cast<size_t>(bytes.size()));
    try {
        Magick::Image header;
        header.ping(blob);
        const long long w = header.columns();
        const long long h = header.rows();
        if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxPixels) {
            setError(error,
                     QStringLiteral("The wallpaper bitmap \"%1\" is too large (%2 x %3)").arg(path).arg(w).arg(h));
            return false;
        }
        try {
            image->read(blob);
        } catch (const Magick::Warning&) {
            // A damaged but readable file is shown with what could be decoded.
        }
    } catch (const Magick::Exception& e) {
        setError(error, unreadableMessage(path, e));
        return false;
    }
    if (image->columns() == 0 || image->rows() == 0) {
        setError(error, QStringLiteral("Cannot read the wallpaper bitmap \"%1\"").arg(path));
        return false;
    }
    return true;
}

// Only the part of the bitmap the screen can show is kept, so a huge picture costs no
// more server memory than the screen itself.
bool loadVisible(const QString& path, int screenW, int screenH, bool tiled, Picture* picture, Placement* placement,
                 QString* error) {
    // Shares the imaging layer's set-up, resource limits included; it must come before any image.
    Picbuf::initialize(nullptr);
    Magick::Image image;
    if (!readBitmap(path, &image, error)) return false;
    *placement = place(static_cast<int>(image.columns()), static_cast<int>(image.rows()), screenW, screenH, tiled);
    picture->width = placement->width;
    picture->height = placement->height;
    picture->rgb.assign(static_cast<size_t>(picture->width) * picture->height * 3, 0);
    try {
        image.write(placement->srcX, placement->srcY, picture->width, picture->height, "RGB", Magick::CharPixel,
                    picture->rgb.data());
    } catch (const Magick::Exception& e) {
        setError(error, unreadableMessage(path, e));
        return false;
    }
    placement->srcX = placement->srcY = 0;
    return true;
}

// Turns 8-bit RGB into pixel values of the screen's visual.
class PixelMapper {
public:
    PixelMapper(Display* display, int screen) : m_display(display), m_visual(DefaultVisual(display, screen)) {
        m_colormap = DefaultColormap(display, screen);
        m_direct = m_visual->c_class == TrueColor || m_visual->c_class == DirectColor;
    }

    unsigned long pixel(unsigned r, unsigned g, unsigned b) {
        if (m_direct)
            return channel(r, m_visual->red_mask) | channel(g, m_visual->green_mask) | channel(b, m_visual->blue_mask);
        // Palette screens: ask the server once per colour.
        const unsigned key = (r << 16) | (g << 8) | b;
        if (auto it = m_cache.find(key); it != m_cache.end()) return it->second;
        XColor c{};
        c.red = static_cast<unsigned short>(r * 257);
        c.green = static_cast<unsigned short>(g * 257);
        c.blue = static_cast<unsigned short>(b * 257);
        c.flags = DoRed | DoGreen | DoBlue;
        const unsigned long value =
            XAllocColor(m_display, m_colormap, &c) ? c.pixel : BlackPixel(m_display, DefaultScreen(m_display));
        m_cache.emplace(key, value);
        return value;
    }

private:
    static unsigned long channel(unsigned value, unsigned long mask) {
        if (mask == 0) return 0;
        const int shift = std::countr_zero(mask);
        const int bits = std::popcount(mask);
        const unsigned long scaled =
            bits <= 8 ? (value >> (8 - bits)) : (static_cast<unsigned long>(value) << (bits - 8));
        return (scaled << shift) & mask;
    }

    Display* m_display;
    Visual* m_visual;
    Colormap m_colormap;
    bool m_direct = false;
    std::map<unsigned, unsigned long> m_cache;
};

// The picture in the screen's pixel format; nullptr with *error set when the client is
// out of memory.
XImage* toXImage(const X11Connection& x, const Picture& picture, PixelMapper& mapper, QString* error) {
    Display* d = x.display();
    XImage* image = XCreateImage(d, DefaultVisual(d, x.screen()), x.depth(), ZPixmap, 0, nullptr, picture.width,
                                 picture.height, BitmapPad(d), 0);
    if (!image) {
        setError(error, QStringLiteral("Cannot build the wallpaper image for the X display"));
        return nullptr;
    }
    // XDestroyImage releases the data with free().
    image->data = static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line) * picture.height, 1));
    if (!image->data) {
        XDestroyImage(image);
        setError(error, QStringLiteral("Not enough memory for the wallpaper image"));
        return nullptr;
    }
    const unsigned char* p = picture.rgb.data();
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x, p += 3)
            XPutPixel(image, x, y, mapper.pixel(p[0], p[1], p[2]));
    return image;
}

// Tiles repeat from the screen's top-left corner; a single picture goes where placed.
void drawImage(const X11Connection& x, Pixmap pixmap, GC gc, XImage* image, const Placement& placement, bool tiled) {
    Display* d = x.display();
    if (!tiled) {
        XPutImage(d, pixmap, gc, image, 0, 0, placement.dstX, placement.dstY, image->width, image->height);
        return;
    }
    const Pixmap tile = XCreatePixmap(d, x.root(), image->width, image->height, x.depth());
    XPutImage(d, tile, gc, image, 0, 0, 0, 0, image->width, image->height);
    XSetTile(d, gc, tile);
    XSetTSOrigin(d, gc, 0, 0);
    XSetFillStyle(d, gc, FillTiled);
    XFillRectangle(d, pixmap, gc, 0, 0, x.width(), x.height());
    XFreePixmap(d, tile);
}

// A screen-sized pixmap on its own connection, drawn and then retained in the server after
// that connection closes. Only this connection's resources are retained, and a later setter
// frees them all with one XKillClient.
bool drawRetainedPixmap(const Picture* picture, const Placement& placement, bool tiled, std::uint32_t background,
                        Pixmap* result, QString* error) {
    X11Connection retained;
    if (!retained.isOpen()) {
        setError(error, X11Connection::noDisplayMessage());
        return false;
    }
    Display* d = retained.display();
    X11ErrorTrap trap(d);
    PixelMapper mapper(d, retained.screen());
    const Pixmap pixmap = XCreatePixmap(d, retained.root(), retained.width(), retained.height(), retained.depth());
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XSetForeground(d, gc, mapper.pixel((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
    XFillRectangle(d, pixmap, gc, 0, 0, retained.width(), retained.height());

    if (picture && picture->width > 0 && picture->height > 0) {
        XImage* image = toXImage(retained, *picture, mapper, error);
        if (!image) {
            XFreeGC(d, gc);
            XFreePixmap(d, pixmap);
            return false;
        }
        drawImage(retained, pixmap, gc, image, placement, tiled);
        XDestroyImage(image);
    }
    XFreeGC(d, gc);
    if (trap.failed()) {
        XFreePixmap(d, pixmap);
        setError(error,
                 QStringLiteral("The X server could not make the wallpaper pixmap (error %1)").arg(trap.errorCode()));
        return false;
    }
    XSetCloseDownMode(d, RetainPermanent);
    *result = pixmap;
    return true;
}

// FNV-1a over a few rows and a column of the pixmap: cheap, and enough to tell our picture
// from another setter's pixmap that happens to reuse the id.
std::optional<quint64> fingerprint(const X11Connection& x, Pixmap pixmap) {
    Display* d = x.display();
    X11ErrorTrap trap(d);
    const int w = x.width();
    const int h = x.height();
    struct Strip {
        int x, y, w, h;
    };
    const Strip strips[] = {{0, 0, w, 1}, {0, h / 2, w, 1}, {0, h - 1, w, 1}, {w / 2, 0, 1, h}};
    quint64 hash = 1469598103934665603ULL;
    for (const Strip& s : strips) {
        XImage* image = XGetImage(d, pixmap, s.x, s.y, s.w, s.h, AllPlanes, ZPixmap);
        if (!image) return std::nullopt;
        for (int yy = 0; yy < s.h; ++yy)
            for (int xx = 0; xx < s.w; ++xx) {
                hash ^= XGetPixel(image, xx, yy);
                hash *= 1099511628211ULL;
            }
        XDestroyImage(image);
    }
    if (trap.failed()) return std::nullopt;
    return hash;
}

Pixmap firstPixmap(const X11Connection& x, const char* property) {
    const auto items = x.longProperty(x.root(), x.atom(property), XA_PIXMAP);
    return items.empty() ? None : static_cast<Pixmap>(items.front());
}

// Makes the retained pixmap the root's wallpaper and frees the one it replaces. `path` empty
// drops our own property (a cleared desktop has no source image).
bool publish(X11Connection& x, Pixmap pixmap, const QString& path, QString* error) {
    Display* d = x.display();
    QByteArray own;
    if (!path.isEmpty()) {
        const auto print = fingerprint(x, pixmap);
        if (!print) {
            setError(error, QStringLiteral("The wallpaper pixmap vanished from the X server"));
            return false;
        }
        own = QByteArray::number(static_cast<qulonglong>(pixmap)) + '\n' + QByteArray::number(*print) + '\n' +
              path.toUtf8();
    }
    const Atom rootAtom = x.atom(kRootPixmapProperty);
    const Atom setrootAtom = x.atom(kSetrootPixmapProperty);
    const Atom ownAtom = x.atom(kOwnProperty);
    const Atom utf8 = x.atom("UTF8_STRING");

    X11ErrorTrap trap(d);
    // Nobody may read or replace the properties half-way.
    XGrabServer(d);
    const Pixmap oldRoot = firstPixmap(x, kRootPixmapProperty);
    const Pixmap oldSetroot = firstPixmap(x, kSetrootPixmapProperty);
    // Both names on one pixmap mark it as retained by its setter for the next one to free.
    if (oldRoot != None && oldRoot == oldSetroot && oldRoot != pixmap) XKillClient(d, oldRoot);
    XSync(d, False);
    // A stale id that no longer exists makes the kill fail; that is no fault of this change.
    trap.reset();
    const unsigned long value = pixmap;
    XChangeProperty(d, x.root(), rootAtom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    XChangeProperty(d, x.root(), setrootAtom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    if (own.isEmpty())
        XDeleteProperty(d, x.root(), ownAtom);
    else
        XChangeProperty(d, x.root(), ownAtom, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(own.constData()), static_cast<int>(own.size()));
    XSetWindowBackgroundPixmap(d, x.root(), pixmap);
    XClearWindow(d, x.root());
    XUngrabServer(d);
    if (trap.failed()) {
        setError(error, QStringLiteral("The X server refused the new wallpaper (error %1)").arg(trap.errorCode()));
        return false;
    }
    return true;
}

bool apply(const Picture* picture, const Placement& placement, bool tiled, std::uint32_t background,
           const QString& path, QString* error) {
    X11Connection x;
    if (!x.isOpen()) {
        setError(error, X11Connection::noDisplayMessage());
        return false;
    }
    Pixmap pixmap = None;
    if (!drawRetainedPixmap(picture, placement, tiled, background, &pixmap, error)) return false;
    if (!publish(x, pixmap, path, error)) {
        // Unless the root already names it, the retained pixmap would leak in the server.
        if (firstPixmap(x, kRootPixmapProperty) != pixmap) {
            X11ErrorTrap trap(x.display());
            XKillClient(x.display(), pixmap);
        }
        return false;
    }
    return true;
}

} // namespace

bool X11RootBackend::acceptsPicture(int width, int height) const {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<long long>(width) * height <= kMaxPixels;
}

bool X11RootBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) {
    int sw = 0;
    int sh = 0;
    {
        X11Connection x;
        if (!x.isOpen()) {
            setError(error, X11Connection::noDisplayMessage());
            return false;
        }
        sw = x.width();
        sh = x.height();
    }
    Picture picture;
    Placement placement;
    if (!loadVisible(bitmapPath, sw, sh, tiled, &picture, &placement, error)) return false;
    return apply(&picture, placement, tiled, background, bitmapPath, error);
}

bool X11RootBackend::clearWallpaper(std::uint32_t background, QString* error) {
    return apply(nullptr, Placement{}, false, background, QString(), error);
}

QString X11RootBackend::currentWallpaper() {
    X11Connection x;
    if (!x.isOpen()) return {};
    const auto own = x.byteProperty(x.root(), x.atom(kOwnProperty), x.atom("UTF8_STRING"));
    if (!own) return {};
    const int firstBreak = own->indexOf('\n');
    const int secondBreak = firstBreak < 0 ? -1 : own->indexOf('\n', firstBreak + 1);
    if (secondBreak < 0) return {};
    bool idOk = false;
    bool printOk = false;
    const Pixmap ours = own->left(firstBreak).toULongLong(&idOk);
    const quint64 print = own->mid(firstBreak + 1, secondBreak - firstBreak - 1).toULongLong(&printOk);
    if (!idOk || !printOk || ours == None) return {};
    if (firstPixmap(x, kRootPixmapProperty) != ours) return {};
    const auto now = fingerprint(x, ours);
    if (!now || *now != print) return {};
    return QString::fromUtf8(own->mid(secondBreak + 1));
}
