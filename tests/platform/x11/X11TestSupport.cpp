// SPDX-License-Identifier: MIT
#include "X11TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace x11test {

namespace {
bool g_failed = false;
int record(Display*, XErrorEvent*) {
    g_failed = true;
    return 0;
}
} // namespace

Connection::Connection() : display(XOpenDisplay(nullptr)) {
    if (display) root = DefaultRootWindow(display);
}

Connection::~Connection() {
    if (display) XCloseDisplay(display);
}

ErrorCatcher::ErrorCatcher(Display* display) : m_display(display), m_previous(XSetErrorHandler(&record)) {
    g_failed = false;
}

ErrorCatcher::~ErrorCatcher() {
    XSync(m_display, False);
    XSetErrorHandler(m_previous);
}

bool ErrorCatcher::failed() {
    XSync(m_display, False);
    return g_failed;
}

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

std::optional<std::uint32_t> pixelAt(Display* d, Drawable drawable, int x, int y) {
    ErrorCatcher catcher(d);
    XImage* image = XGetImage(d, drawable, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image || catcher.failed()) {
        if (image) XDestroyImage(image);
        return std::nullopt;
    }
    XColor c{};
    c.pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    XQueryColor(d, DefaultColormap(d, DefaultScreen(d)), &c);
    return (std::uint32_t(c.red >> 8) << 16) | (std::uint32_t(c.green >> 8) << 8) | std::uint32_t(c.blue >> 8);
}

bool pixmapExists(Display* d, Pixmap pixmap) {
    ErrorCatcher catcher(d);
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    const Status ok = XGetGeometry(d, pixmap, &root, &x, &y, &w, &h, &border, &depth);
    return ok && !catcher.failed();
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

DisplayGuard::DisplayGuard() : m_had(std::getenv("DISPLAY") != nullptr), m_value(qgetenv("DISPLAY")) {}

DisplayGuard::~DisplayGuard() {
    if (m_had)
        ::setenv("DISPLAY", m_value.constData(), 1);
    else
        ::unsetenv("DISPLAY");
}

int run(const QString& command) {
    return std::system(command.toLocal8Bit().constData());
}

} // namespace x11test
