// SPDX-License-Identifier: MIT
#pragma once

// gtest and Qt before Xlib, whose macros (None, Bool, Status) clash with them.
#include <gtest/gtest.h>

#include <QString>

#include "TestSupport.h"
#include "XvfbSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace x11test {

// A connection of the test's own, closed on destruction.
struct Connection {
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() {
        if (display) XCloseDisplay(display);
    }
    Display* display = XOpenDisplay(nullptr);
    Window root = display ? DefaultRootWindow(display) : 0;
};

// One 1024 x 768 server for a whole test suite, bare or with openbox managing the windows, and
// one connection to it. One connection, because a new one would give its first window the id
// of a window the test before has just destroyed, which openbox may still be forgetting.
template <bool withWindowManager> class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        XvfbSession::Options options;
        options.windowManager = withWindowManager;
        s_session = std::make_unique<XvfbSession>(options);
        s_connection = std::make_unique<Connection>();
    }
    static void TearDownTestSuite() {
        s_connection.reset();
        s_session.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString();
        ASSERT_NE(m_x.display, nullptr);
    }

    static inline std::unique_ptr<XvfbSession> s_session;
    static inline std::unique_ptr<Connection> s_connection;
    Connection& m_x = *s_connection;
};

// Set by the error handler while succeeds() runs.
inline bool g_failed = false;

// Runs requests with X errors caught instead of ending the process; false when one failed.
inline bool succeeds(Display* d, const std::function<void()>& requests) {
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

inline Atom atom(Display* d, const char* name) {
    return XInternAtom(d, name, False);
}

// The first item of a format-32 root property of the given type; None when missing.
inline unsigned long rootLong(Display* d, const char* property, Atom type) {
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

// The pixmap _XROOTPMAP_ID names; None when missing.
inline Pixmap rootPixmap(Display* d) {
    return rootLong(d, "_XROOTPMAP_ID", XA_PIXMAP);
}

// Colours 0xRRGGBB of a w x h area of a drawable, row by row, through the default colormap
// (any visual); empty when the drawable cannot be read.
inline std::vector<std::uint32_t> colours(Display* d, Drawable drawable, int x, int y, int w, int h) {
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

// True when the pixmap still exists in the server.
inline bool pixmapExists(Display* d, Pixmap pixmap) {
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    Status status = 0;
    const bool ok = succeeds(d, [&] { status = XGetGeometry(d, pixmap, &root, &x, &y, &w, &h, &border, &depth); });
    return ok && status;
}

// Polls `done` (flushing the connection) for up to five seconds.
inline bool waitUntil(Display* d, const std::function<bool()>& done) {
    return mtest::waitUntil([&] {
        XSync(d, False);
        return done();
    });
}

} // namespace x11test
