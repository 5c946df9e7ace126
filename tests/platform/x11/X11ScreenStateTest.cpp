// SPDX-License-Identifier: MIT
#include "platform/x11/X11ScreenState.h"

// gtest and Qt before Xlib, whose macros (None, Bool, Status) clash with them.
#include <gtest/gtest.h>

#include "X11TestSupport.h"
#include "XvfbSession.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <memory>
#include <vector>

namespace {

using x11test::atom;
using x11test::Connection;
using x11test::waitUntil;

struct SaverSettings {
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
};

SaverSettings saverSettings() {
    Connection x;
    SaverSettings s;
    XGetScreenSaver(x.display, &s.timeout, &s.interval, &s.blanking, &s.exposures);
    return s;
}

class X11ScreenSaverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_session = std::make_unique<XvfbSession>(); }
    static void TearDownTestSuite() { s_session.reset(); }
    void SetUp() override { ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString(); }

    static inline std::unique_ptr<XvfbSession> s_session;
    X11ScreenState m_state;
};

TEST_F(X11ScreenSaverTest, ToggleIsWhatTheServerReports) {
    ASSERT_TRUE(m_state.setScreenSaverActive(false));
    EXPECT_EQ(saverSettings().timeout, 0);
    EXPECT_FALSE(m_state.screenSaverActive());

    ASSERT_TRUE(m_state.setScreenSaverActive(true));
    EXPECT_GT(saverSettings().timeout, 0);
    EXPECT_TRUE(m_state.screenSaverActive());

    // Switching off twice, or on twice, is no change and no failure.
    EXPECT_TRUE(m_state.setScreenSaverActive(true));
    EXPECT_TRUE(m_state.screenSaverActive());
    EXPECT_TRUE(m_state.setScreenSaverActive(false));
    EXPECT_TRUE(m_state.setScreenSaverActive(false));
    EXPECT_FALSE(m_state.screenSaverActive());
}

TEST_F(X11ScreenSaverTest, ReadsChangesMadeByOtherPrograms) {
    ASSERT_EQ(x11test::run("xset s 300"), 0);
    EXPECT_TRUE(m_state.screenSaverActive());
    ASSERT_EQ(x11test::run("xset s off"), 0);
    EXPECT_FALSE(m_state.screenSaverActive());
}

TEST_F(X11ScreenSaverTest, SwitchingOffKeepsTheOtherSettings) {
    ASSERT_EQ(x11test::run("xset s 300 45 && xset s noblank"), 0);
    ASSERT_TRUE(m_state.setScreenSaverActive(false));
    const SaverSettings s = saverSettings();
    EXPECT_EQ(s.timeout, 0);
    EXPECT_EQ(s.interval, 45);
    EXPECT_EQ(s.blanking, DontPreferBlanking);
}

TEST_F(X11ScreenSaverTest, SwitchingOnWorksWhenTheServerDefaultIsOff) {
    // A server started with "-s 0" has a zero default timeout.
    XvfbSession::Options options;
    options.serverArguments = {"-s", "0"};
    XvfbSession other(options);
    ASSERT_TRUE(other.isRunning()) << other.errorString().toStdString();
    ASSERT_EQ(saverSettings().timeout, 0);
    ASSERT_TRUE(m_state.setScreenSaverActive(true));
    EXPECT_TRUE(m_state.screenSaverActive());
}

TEST_F(X11ScreenSaverTest, RunningFollowsActivation) {
    for (const char* setting : {"xset s on", "xset s off"}) {
        ASSERT_EQ(x11test::run(setting), 0);
        ASSERT_EQ(x11test::run("xset s reset"), 0);
        EXPECT_FALSE(m_state.screenSaverRunning()) << setting;
        ASSERT_EQ(x11test::run("xset s activate"), 0);
        EXPECT_TRUE(m_state.screenSaverRunning()) << setting;
        ASSERT_EQ(x11test::run("xset s reset"), 0);
        EXPECT_FALSE(m_state.screenSaverRunning()) << setting;
    }
}

TEST(X11ScreenStateNoDisplay, AnswersOffAndNotBusy) {
    x11test::DisplayGuard guard;
    X11ScreenState state;
    for (const char* display : {static_cast<const char*>(nullptr), ":4999"}) {
        if (display)
            ::setenv("DISPLAY", display, 1);
        else
            ::unsetenv("DISPLAY");
        EXPECT_FALSE(state.screenSaverActive());
        EXPECT_FALSE(state.setScreenSaverActive(true));
        EXPECT_FALSE(state.screenSaverRunning());
        EXPECT_FALSE(state.fullScreenForeground(1024, 768));
    }
}

// A top-level window of the test's own, with hints set before it is mapped.
struct TestWindow {
    TestWindow(Display* d, int x, int y, int w, int h) : display(d) {
        XSetWindowAttributes a{};
        a.background_pixel = BlackPixel(d, 0);
        window = XCreateWindow(d, DefaultRootWindow(d), x, y, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
                               CWBackPixel, &a);
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = x;
        hints.y = y;
        hints.width = w;
        hints.height = h;
        XSetWMNormalHints(d, window, &hints);
    }
    ~TestWindow() {
        XDestroyWindow(display, window);
        XSync(display, False);
    }
    void setAtoms(const char* property, std::vector<const char*> names) {
        std::vector<unsigned long> atoms;
        for (const char* n : names)
            atoms.push_back(atom(display, n));
        XChangeProperty(display, window, atom(display, property), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    }
    void undecorate() {
        // flags = decorations, decorations = none
        const unsigned long motif[5] = {2, 0, 0, 0, 0};
        const Atom a = atom(display, "_MOTIF_WM_HINTS");
        XChangeProperty(display, window, a, a, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(motif), 5);
    }
    // Maps the window and asks the window manager to make it the active one.
    bool mapAndActivate() {
        XMapWindow(display, window);
        XSync(display, False);
        return waitUntil(display, [&] {
            if (x11test::rootLong(display, "_NET_ACTIVE_WINDOW", XA_WINDOW) == window) return true;
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = window;
            e.xclient.message_type = atom(display, "_NET_ACTIVE_WINDOW");
            e.xclient.format = 32;
            e.xclient.data.l[0] = 2; // from a pager: honoured without focus-stealing checks
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                       &e);
            return false;
        });
    }
    // The client area in root coordinates.
    XRectangle clientRect() {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return XRectangle{static_cast<short>(x), static_cast<short>(y), static_cast<unsigned short>(attributes.width),
                          static_cast<unsigned short>(attributes.height)};
    }

    Display* display;
    Window window = None;
};

class X11FullScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        XvfbSession::Options options;
        options.windowManager = true;
        s_session = std::make_unique<XvfbSession>(options);
    }
    static void TearDownTestSuite() { s_session.reset(); }
    void SetUp() override {
        ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString();
        ASSERT_NE(m_x.display, nullptr);
    }

    static inline std::unique_ptr<XvfbSession> s_session;
    Connection m_x;
    X11ScreenState m_state;
};

TEST_F(X11FullScreenTest, NormalWindowIsNotFullScreen) {
    TestWindow w(m_x.display, 100, 100, 300, 200);
    ASSERT_TRUE(w.mapAndActivate());
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

TEST_F(X11FullScreenTest, FullScreenStateIsFullScreen) {
    TestWindow w(m_x.display, 100, 100, 300, 200);
    w.setAtoms("_NET_WM_STATE", {"_NET_WM_STATE_FULLSCREEN"});
    ASSERT_TRUE(w.mapAndActivate());
    EXPECT_TRUE(m_state.fullScreenForeground(1024, 768));
}

TEST_F(X11FullScreenTest, MaximisedWindowKeepsItsTitleBarOnScreen) {
    TestWindow w(m_x.display, 100, 100, 300, 200);
    w.setAtoms("_NET_WM_STATE", {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"});
    ASSERT_TRUE(w.mapAndActivate());
    // Asked again the way pagers do, in case the hint was read before it was set.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w.window;
    e.xclient.message_type = atom(m_x.display, "_NET_WM_STATE");
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1; // add
    e.xclient.data.l[1] = static_cast<long>(atom(m_x.display, "_NET_WM_STATE_MAXIMIZED_VERT"));
    e.xclient.data.l[2] = static_cast<long>(atom(m_x.display, "_NET_WM_STATE_MAXIMIZED_HORZ"));
    e.xclient.data.l[3] = 2;
    XSendEvent(m_x.display, m_x.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    // Really maximised: the frame fills the screen, and only the client area is shorter.
    ASSERT_TRUE(waitUntil(m_x.display, [&] { return w.clientRect().width >= 1020 && w.clientRect().height >= 700; }))
        << w.clientRect().x << "," << w.clientRect().y << " " << w.clientRect().width << "x" << w.clientRect().height;
    EXPECT_GT(w.clientRect().y, 2);
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

TEST_F(X11FullScreenTest, UndecoratedWindowCoveringTheScreenIsFullScreen) {
    TestWindow w(m_x.display, 0, 0, 1024, 768);
    w.undecorate();
    ASSERT_TRUE(w.mapAndActivate());
    ASSERT_TRUE(waitUntil(m_x.display, [&] {
        const XRectangle r = w.clientRect();
        return r.x == 0 && r.y == 0;
    }));
    EXPECT_TRUE(m_state.fullScreenForeground(1024, 768));
    // Compared with the screen size it is given, not the current one: a larger screen is not covered.
    EXPECT_FALSE(m_state.fullScreenForeground(1280, 1024));
}

TEST_F(X11FullScreenTest, UndecoratedWindowShortOfAnEdgeIsNot) {
    TestWindow w(m_x.display, 0, 0, 1024, 760);
    w.undecorate();
    ASSERT_TRUE(w.mapAndActivate());
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

TEST_F(X11FullScreenTest, DesktopWindowNeverCounts) {
    TestWindow w(m_x.display, 0, 0, 1024, 768);
    w.setAtoms("_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_DESKTOP"});
    ASSERT_TRUE(w.mapAndActivate());
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

TEST_F(X11FullScreenTest, ClosedActiveWindowIsNotBusy) {
    {
        TestWindow w(m_x.display, 0, 0, 1024, 768);
        w.undecorate();
        ASSERT_TRUE(w.mapAndActivate());
        ASSERT_TRUE(m_state.fullScreenForeground(1024, 768));
    }
    // openbox leaves _NET_ACTIVE_WINDOW naming the destroyed window when no other is left.
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

// Without a window manager there is no _NET_ACTIVE_WINDOW: the input focus decides.
class X11FocusFallbackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_session = std::make_unique<XvfbSession>(); }
    static void TearDownTestSuite() { s_session.reset(); }
    void SetUp() override {
        ASSERT_TRUE(s_session->isRunning()) << s_session->errorString().toStdString();
        ASSERT_NE(m_x.display, nullptr);
    }

    static inline std::unique_ptr<XvfbSession> s_session;
    Connection m_x;
    X11ScreenState m_state;
};

TEST_F(X11FocusFallbackTest, FocusedWindowCoveringTheScreenIsFullScreen) {
    TestWindow w(m_x.display, 0, 0, 1024, 768);
    XMapWindow(m_x.display, w.window);
    // Focus on a child: the window that counts is its top-level parent.
    const Window child = XCreateSimpleWindow(m_x.display, w.window, 10, 10, 50, 50, 0, 0, 0);
    XMapWindow(m_x.display, child);
    XSync(m_x.display, False);
    ASSERT_TRUE(waitUntil(m_x.display, [&] {
        XWindowAttributes a{};
        XGetWindowAttributes(m_x.display, child, &a);
        return a.map_state == IsViewable;
    }));
    XSetInputFocus(m_x.display, child, RevertToPointerRoot, CurrentTime);
    XSync(m_x.display, False);
    EXPECT_TRUE(m_state.fullScreenForeground(1024, 768));

    XSetInputFocus(m_x.display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(m_x.display, False);
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));

    XSetInputFocus(m_x.display, None, RevertToNone, CurrentTime);
    XSync(m_x.display, False);
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

TEST_F(X11FocusFallbackTest, FocusedSmallWindowIsNot) {
    TestWindow w(m_x.display, 10, 10, 200, 100);
    XMapWindow(m_x.display, w.window);
    XSync(m_x.display, False);
    ASSERT_TRUE(waitUntil(m_x.display, [&] {
        XWindowAttributes a{};
        XGetWindowAttributes(m_x.display, w.window, &a);
        return a.map_state == IsViewable;
    }));
    XSetInputFocus(m_x.display, w.window, RevertToPointerRoot, CurrentTime);
    XSync(m_x.display, False);
    EXPECT_FALSE(m_state.fullScreenForeground(1024, 768));
}

} // namespace
