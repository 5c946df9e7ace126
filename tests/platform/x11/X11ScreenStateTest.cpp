// SPDX-License-Identifier: MIT
#include "platform/x11/X11ScreenState.h"

#include <QRect>
#include <QStringList>

#include "X11TestSupport.h"

#include <array>
#include <cstdlib>
#include <tuple>

namespace {

using namespace x11test;

// Timeout, interval and blanking, as XGetScreenSaver reports them.
std::array<int, 3> saverSettings() {
    Connection x;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(x.display, &timeout, &interval, &blanking, &exposures);
    return {timeout, interval, blanking};
}

// A message to the window manager about `window`, sent the way pagers send them.
void tellWindowManager(Display* d, Window window, const char* message, std::initializer_list<long> data) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = atom(d, message);
    e.xclient.format = 32;
    std::copy(data.begin(), data.end(), e.xclient.data.l);
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

// A top-level window of the test's own, with hints set before it is mapped.
struct TestWindow {
    TestWindow(Display* d, const QRect& r)
        : display(d),
          window(XCreateSimpleWindow(d, DefaultRootWindow(d), r.x(), r.y(), r.width(), r.height(), 0, 0, 0)) {
        // The window's own geometry is the user's choice, so openbox keeps it.
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        XSetWMNormalHints(d, window, &hints);
    }
    ~TestWindow() {
        XDestroyWindow(display, window);
        XSync(display, False);
    }
    void setProperty(const char* property, Atom type, const std::vector<unsigned long>& values) {
        XChangeProperty(display, window, atom(display, property), type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
    }
    void setAtoms(const char* property, const QStringList& names) {
        std::vector<unsigned long> atoms;
        for (const QString& n : names)
            atoms.push_back(atom(display, qPrintable(n)));
        setProperty(property, XA_ATOM, atoms);
    }
    // Maps the window and asks the window manager to make it the active one; "from a pager"
    // is honoured without focus-stealing checks.
    bool mapAndActivate() {
        XMapWindow(display, window);
        return waitUntil(display, [&] {
            if (rootLong(display, "_NET_ACTIVE_WINDOW", XA_WINDOW) == window) return true;
            tellWindowManager(display, window, "_NET_ACTIVE_WINDOW", {2, CurrentTime});
            return false;
        });
    }
    // The client area in root coordinates.
    QRect clientRect() const {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return QRect(x, y, attributes.width, attributes.height);
    }

    Display* display;
    Window window;
};

using X11BareServerTest = ServerTest<false>;
using X11OpenboxTest = ServerTest<true>;

// Switching off twice, or on twice, is no change and no failure; switching off keeps the
// other settings, which other programs may have made. On a server whose default is off,
// switching on must not mean "back to the default".
TEST_F(X11BareServerTest, ScreenSaverToggleAndRunningAreWhatTheServerReports) {
    X11ScreenState state;
    for (const bool active : {false, true, true, false, false}) {
        ASSERT_TRUE(state.setScreenSaverActive(active));
        EXPECT_EQ(saverSettings()[0] != 0, active);
        EXPECT_EQ(state.screenSaverActive(), active);
    }
    ASSERT_EQ(std::system("xset s 300 45 && xset s noblank"), 0);
    EXPECT_TRUE(state.screenSaverActive());
    ASSERT_TRUE(state.setScreenSaverActive(false));
    EXPECT_EQ(saverSettings(), (std::array{0, 45, int(DontPreferBlanking)}));
    ASSERT_EQ(std::system("xset s 300"), 0);
    EXPECT_TRUE(state.screenSaverActive());
    ASSERT_EQ(std::system("xset s off"), 0);
    EXPECT_FALSE(state.screenSaverActive());
    // Running is the server's saver state, which activation starts even with the saver off.
    for (const char* setting : {"xset s on", "xset s off"}) {
        ASSERT_EQ(std::system(setting), 0);
        for (const auto& [command, running] :
             {std::pair{"xset s reset", false}, std::pair{"xset s activate", true}, std::pair{"xset s reset", false}}) {
            ASSERT_EQ(std::system(command), 0);
            EXPECT_EQ(state.screenSaverRunning(), running) << setting << ", " << command;
        }
    }

    XvfbSession::Options options;
    options.serverArguments = {"-s", "0"};
    XvfbSession zeroDefault(options);
    ASSERT_TRUE(zeroDefault.isRunning()) << zeroDefault.errorString().toStdString();
    ASSERT_EQ(saverSettings()[0], 0);
    ASSERT_TRUE(state.setScreenSaverActive(true));
    EXPECT_TRUE(state.screenSaverActive());
}

// Without a window manager there is no _NET_ACTIVE_WINDOW: the input focus decides.
TEST_F(X11BareServerTest, WithoutWindowManagerTheFocusedTopLevelWindowCounts) {
    TestWindow covering(m_x.display, QRect(0, 0, 1024, 768));
    TestWindow small(m_x.display, QRect(10, 10, 200, 100));
    // Focus on a child: the window that counts is its top-level parent.
    const Window child = XCreateSimpleWindow(m_x.display, covering.window, 10, 10, 50, 50, 0, 0, 0);
    // Without a window manager mapping is done once the server has answered.
    for (const Window w : {covering.window, child, small.window})
        XMapWindow(m_x.display, w);
    XSync(m_x.display, False);
    for (const auto& [focus, fullScreen] : {std::pair{child, true}, std::pair{small.window, false},
                                            std::pair{Window(PointerRoot), false}, std::pair{Window(None), false}}) {
        XSetInputFocus(m_x.display, focus, focus == None ? RevertToNone : RevertToPointerRoot, CurrentTime);
        XSync(m_x.display, False);
        EXPECT_EQ(X11ScreenState().fullScreenForeground(1024, 768), fullScreen) << "focus on " << focus;
    }
}

// Under openbox: the active window judged for the 1024 x 768 screen and for a larger one it does not cover.
TEST_F(X11OpenboxTest, JudgesTheActiveWindow) {
    const QRect small(100, 100, 300, 200), screen(0, 0, 1024, 768);
    const QStringList maximised{"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"};
    X11ScreenState judge;
    // The window's rectangle, whether it is undecorated, its type and state atoms (set before mapping),
    // and the answers for the two screens.
    using W = std::tuple<const char*, QRect, bool, QStringList, QStringList, bool, bool>;
    for (const auto& [name, rect, undecorated, type, state, onScreen, onLargerScreen] :
         {W{"Normal", small, false, {}, {}, false, false},
          W{"FullScreenState", small, false, {}, {"_NET_WM_STATE_FULLSCREEN"}, true, true},
          W{"Maximised", small, false, {}, maximised, false, false},
          W{"UndecoratedCovering", screen, true, {}, {}, true, false},
          W{"UndecoratedShortOfAnEdge", QRect(0, 0, 1024, 760), true, {}, {}, false, false},
          W{"Desktop", screen, false, {"_NET_WM_WINDOW_TYPE_DESKTOP"}, {}, false, false}}) {
        SCOPED_TRACE(name);
        const QRect wanted = rect;
        {
            TestWindow w(m_x.display, rect);
            // Motif hints: flags "decorations", decorations none.
            if (undecorated) w.setProperty("_MOTIF_WM_HINTS", atom(m_x.display, "_MOTIF_WM_HINTS"), {2, 0, 0, 0, 0});
            if (!type.isEmpty()) w.setAtoms("_NET_WM_WINDOW_TYPE", type);
            if (!state.isEmpty()) w.setAtoms("_NET_WM_STATE", state);
            ASSERT_TRUE(w.mapAndActivate());
            if (state.size() == 2) {
                // Maximising is asked again, in case the hint was read before it was set.
                tellWindowManager(m_x.display, w.window, "_NET_WM_STATE",
                                  {1, long(atom(m_x.display, qPrintable(state[0]))),
                                   long(atom(m_x.display, qPrintable(state[1]))), 2});
                // Really maximised: the frame fills the screen, and only the client area is shorter.
                ASSERT_TRUE(waitUntil(
                    m_x.display, [&] { return w.clientRect().width() >= 1020 && w.clientRect().height() >= 700; }));
                EXPECT_GT(w.clientRect().y(), 2);
            }
            if (undecorated) {
                ASSERT_TRUE(waitUntil(m_x.display, [&] { return w.clientRect() == wanted; })) << w.clientRect().x();
            }
            EXPECT_EQ(judge.fullScreenForeground(1024, 768), onScreen);
            EXPECT_EQ(judge.fullScreenForeground(1280, 1024), onLargerScreen);
        }
        // openbox leaves _NET_ACTIVE_WINDOW naming the destroyed window when no other is left.
        EXPECT_FALSE(judge.fullScreenForeground(1024, 768));
    }
}

} // namespace
