// SPDX-License-Identifier: MIT
#pragma once

// gtest and Qt before Xlib, whose macros (None, Bool, Status) clash with them.
#include <gtest/gtest.h>

#include <QString>

#include "XvfbSession.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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

// One 1024 x 768 server for a whole test suite, bare or with openbox managing the windows,
// and a connection to it for each test.
template <bool withWindowManager> class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        XvfbSession::Options options;
        options.windowManager = withWindowManager;
        s_session = std::make_unique<XvfbSession>(options);
    }
    static void TearDownTestSuite() { s_session.reset(); }
    void SetUp() override {
        ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString();
        ASSERT_NE(m_x.display, nullptr);
    }

    static inline std::unique_ptr<XvfbSession> s_session;
    Connection m_x;
};

Atom atom(Display* d, const char* name);
// The first item of a format-32 root property of the given type; None when missing.
unsigned long rootLong(Display* d, const char* property, Atom type);
// The pixmap _XROOTPMAP_ID names; None when missing.
Pixmap rootPixmap(Display* d);
// Colours 0xRRGGBB of a w x h area of a drawable, row by row, through the default colormap
// (any visual); empty when the drawable cannot be read.
std::vector<std::uint32_t> colours(Display* d, Drawable drawable, int x, int y, int w, int h);
// The colour of one pixel.
std::optional<std::uint32_t> pixelAt(Display* d, Drawable drawable, int x, int y);
// True when the pixmap still exists in the server.
bool pixmapExists(Display* d, Pixmap pixmap);
// Polls `done` (flushing the connection) for up to five seconds.
bool waitUntil(Display* d, const std::function<bool()>& done);
// Runs a shell command with the current DISPLAY; its exit status.
int run(const QString& command);

} // namespace x11test
