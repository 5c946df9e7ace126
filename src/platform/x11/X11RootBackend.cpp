// SPDX-License-Identifier: MIT
#include "X11RootBackend.h"

// Qt and the imaging headers before Xlib: Xlib defines macros (None, Status, Bool) that
// break them.
#include <QFile>

#include "imaging/Picbuf.h"

#include <Magick++.h>

#include "BitmapRows.h"
#include "X11Connection.h"
#include "X11ErrorTrap.h"
#include "X11Pixels.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
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

// The part of the bitmap that can be seen: read in place from the bitmap's bytes, or, for a
// bitmap in a form those reads do not know, decoded by the imaging library.
struct Picture {
    int width = 0;
    int height = 0;
    int srcX = 0;
    int srcY = 0;
    std::optional<BitmapRows> rows;
    std::vector<unsigned char> rgb;

    // Row y of the visible part as RGB triplets.
    void rgbRow(int y, unsigned char* out) const {
        if (rows) {
            rows->rgbRow(srcY + y, srcX, width, out);
            return;
        }
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
        std::copy_n(rgb.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes, out);
    }
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

bool sizeAllowed(long long w, long long h) {
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels;
}

QString tooLargeMessage(const QString& path, long long w, long long h) {
    return QStringLiteral("The wallpaper bitmap \"%1\" is too large (%2 x %3)").arg(path).arg(w).arg(h);
}

bool readBitmapFile(const QString& path, QByteArray* bytes, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot read the wallpaper bitmap \"%1\": %2").arg(path, file.errorString()));
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        setError(error, QStringLiteral("The wallpaper bitmap \"%1\" is too large").arg(path));
        return false;
    }
    *bytes = file.readAll();
    return true;
}

// Decodes the whole bitmap with the imaging library, after refusing sizes no screen could show.
bool decodeBitmap(const QString& path, QByteArray bytes, Magick::Image* image, QString* error) {
    // GraphicsMagick 1.3 calls a BMP under about 66 bytes truncated (a 1x1 or 2x1 bitmap);
    // bytes after the pixel data are never read, so padding tiny files is harmless.
    if (bytes.size() < kMinDecodableBytes) bytes.append(QByteArray(kMinDecodableBytes - bytes.size(), '\0'));
    const Magick::Blob blob(bytes.constData(), static_cast<size_t>(bytes.size()));
    try {
        Magick::Image header;
        header.ping(blob);
        if (!sizeAllowed(header.columns(), header.rows())) {
            setError(error, tooLargeMessage(path, header.columns(), header.rows()));
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
// more server memory than the screen itself. `bytes` must outlive the picture.
bool loadVisible(const QString& path, const QByteArray& bytes, int screenW, int screenH, bool tiled, Picture* picture,
                 Placement* placement, QString* error) {
    picture->rows = BitmapRows::parse(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size()));
    if (picture->rows) {
        const BitmapRows& rows = *picture->rows;
        if (!sizeAllowed(rows.width(), rows.height())) {
            setError(error, tooLargeMessage(path, rows.width(), rows.height()));
            return false;
        }
        *placement = place(rows.width(), rows.height(), screenW, screenH, tiled);
    } else {
        // Shares the imaging layer's set-up, resource limits included; it must come before any image.
        Picbuf::initialize(nullptr);
        Magick::Image image;
        if (!decodeBitmap(path, bytes, &image, error)) return false;
        *placement = place(static_cast<int>(image.columns()), static_cast<int>(image.rows()), screenW, screenH, tiled);
        picture->rgb.assign(static_cast<size_t>(placement->width) * placement->height * 3, 0);
        try {
            image.write(placement->srcX, placement->srcY, placement->width, placement->height, "RGB", Magick::CharPixel,
                        picture->rgb.data());
        } catch (const Magick::Exception& e) {
            setError(error, unreadableMessage(path, e));
            return false;
        }
    }
    picture->width = placement->width;
    picture->height = placement->height;
    picture->srcX = placement->srcX;
    picture->srcY = placement->srcY;
    return true;
}

// The picture in the screen's pixel format; nullptr with *error set when the client is
// out of memory.
XImage* toXImage(const X11Connection& x, const Picture& picture, PixelMapper& mapper, QString* error) {
    XImage* image = makeXImage(
        x.display(), x.screen(), x.depth(), picture.width, picture.height,
        [&picture](int y, unsigned char* rgb) { picture.rgbRow(y, rgb); }, mapper);
    if (!image) setError(error, QStringLiteral("Not enough memory for the wallpaper image"));
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
bool drawRetainedPixmap(X11Connection& retained, const Picture* picture, const Placement& placement, bool tiled,
                        std::uint32_t background, Pixmap* result, QString* error) {
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

// Publishes a pixmap retained by a closed connection; if that fails, frees it unless the root
// already names it.
bool publishRetained(X11Connection& x, Pixmap pixmap, const QString& path, QString* error) {
    if (publish(x, pixmap, path, error)) return true;
    if (firstPixmap(x, kRootPixmapProperty) != pixmap) {
        X11ErrorTrap trap(x.display());
        XKillClient(x.display(), pixmap);
        XSync(x.display(), False);
    }
    return false;
}

} // namespace

bool X11RootBackend::acceptsPicture(int width, int height) const {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<long long>(width) * height <= kMaxPixels;
}

X11RootBackend::X11RootBackend() = default;
X11RootBackend::~X11RootBackend() = default;

X11Connection* X11RootBackend::connection() {
    if (!m_connection || !m_connection->isOpen()) m_connection = std::make_unique<X11Connection>();
    return m_connection->isOpen() ? m_connection.get() : nullptr;
}

bool X11RootBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) {
    // Without a display there is nothing to read the bitmap for.
    if (!connection()) {
        setError(error, X11Connection::noDisplayMessage());
        return false;
    }
    QByteArray bytes;
    if (!readBitmapFile(bitmapPath, &bytes, error)) return false;
    return setWallpaperBitmap(bitmapPath, bytes, tiled, background, error);
}

bool X11RootBackend::setWallpaperBitmap(const QString& bitmapPath, const QByteArray& bitmapBytes, bool tiled,
                                        std::uint32_t background, QString* error) {
    return show(bitmapPath, &bitmapBytes, tiled, background, error);
}

bool X11RootBackend::clearWallpaper(std::uint32_t background, QString* error) {
    return show(QString(), nullptr, false, background, error);
}

// The pixels go over a connection of their own, which closes once the pixmap is drawn and
// retained; the backend's own connection then publishes it.
bool X11RootBackend::show(const QString& path, const QByteArray* bytes, bool tiled, std::uint32_t background,
                          QString* error) {
    X11Connection* x = connection();
    if (!x) {
        setError(error, X11Connection::noDisplayMessage());
        return false;
    }
    Pixmap pixmap = None;
    {
        X11Connection retained;
        if (!retained.isOpen()) {
            setError(error, X11Connection::noDisplayMessage());
            return false;
        }
        Picture picture;
        Placement placement;
        if (bytes &&
            !loadVisible(path, *bytes, retained.width(), retained.height(), tiled, &picture, &placement, error))
            return false;
        if (!drawRetainedPixmap(retained, bytes ? &picture : nullptr, placement, tiled, background, &pixmap, error))
            return false;
    }
    return publishRetained(*x, pixmap, path, error);
}

QString X11RootBackend::currentWallpaper() {
    X11Connection* connected = connection();
    if (!connected) return {};
    X11Connection& x = *connected;
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
