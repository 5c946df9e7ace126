// SPDX-License-Identifier: MIT
#include "X11TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

namespace x11test {

namespace {

bool g_failed = false;

// Runs requests with X errors caught instead of ending the process; false when one failed.
bool succeeds(Display* d, const std::function<void()>& requests) {
    XSync(d, False);
    g_failed = false;
    const auto previous = XSetErrorHandler([](Display*, XErrorEvent*) {
        g_failed = true;
        return 0;
    });
    requests();
    XSync(d, False);
    XSetErrorHandler(previous);
    return !g_failed;
}

} // namespace

Atom atom(Display* d, const char* name) {
    return XInternAtom(d, name, False);
}

unsigned long rootLong(Display* d, const char* property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    unsigned long value = None;
    if (XGetWindowProperty(d, DefaultRootWindow(d), atom(d, property), 0, 1, False, type, &actualType, &format, &count,
                           &rest, &data) == Success &&
        data && actualType == type && format == 32 && count == 1)
        value = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    return value;
}

Pixmap rootPixmap(Display* d) {
    return rootLong(d, "_XROOTPMAP_ID", XA_PIXMAP);
}

std::vector<std::uint32_t> colours(Display* d, Drawable drawable, int x, int y, int w, int h) {
    XImage* image = nullptr;
    const bool ok = succeeds(d, [&] { image = XGetImage(d, drawable, x, y, w, h, AllPlanes, ZPixmap); });
    std::vector<std::uint32_t> result;
    if (!image) return result;
    // One colormap look-up per pixel value.
    std::map<unsigned long, std::uint32_t> known;
    for (int row = 0; ok && row < h; ++row)
        for (int column = 0; column < w; ++column) {
            XColor c{};
            c.pixel = XGetPixel(image, column, row);
            const auto [it, fresh] = known.try_emplace(c.pixel);
            if (fresh) {
                XQueryColor(d, DefaultColormap(d, DefaultScreen(d)), &c);
                it->second = std::uint32_t(c.red >> 8) << 16 | std::uint32_t(c.green >> 8) << 8 | (c.blue >> 8);
            }
            result.push_back(it->second);
        }
    XDestroyImage(image);
    return result;
}

std::optional<std::uint32_t> pixelAt(Display* d, Drawable drawable, int x, int y) {
    const std::vector<std::uint32_t> one = colours(d, drawable, x, y, 1, 1);
    return one.empty() ? std::nullopt : std::optional(one.front());
}

bool pixmapExists(Display* d, Pixmap pixmap) {
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    Status status = 0;
    const bool ok = succeeds(d, [&] { status = XGetGeometry(d, pixmap, &root, &x, &y, &w, &h, &border, &depth); });
    return ok && status;
}

bool waitUntil(Display* d, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        XSync(d, False);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int run(const QString& command) {
    return std::system(command.toLocal8Bit().constData());
}

} // namespace x11test
