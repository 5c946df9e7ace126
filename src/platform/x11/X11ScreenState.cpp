// SPDX-License-Identifier: MIT
#include "X11ScreenState.h"

#include "X11Connection.h"
#include "X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>

namespace {

// The server's own default timeout; what a freshly started X server uses.
constexpr int kFallbackTimeoutSeconds = 600;
// A window within this many pixels of every screen edge counts as covering the screen.
constexpr int kEdgeSlack = 2;

bool contains(const std::vector<unsigned long>& items, Atom atom) {
    return std::find(items.begin(), items.end(), atom) != items.end();
}

// The foreground client window: the window manager's active window, else the input focus
// walked up to its top-level window. None when nothing has the focus.
Window foregroundWindow(const X11Connection& x) {
    const auto active = x.longProperty(x.root(), x.atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
    if (!active.empty()) return static_cast<Window>(active.front());

    Display* d = x.display();
    X11ErrorTrap trap(d);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == x.root()) return None;
    // Focus often sits on a child of the application's window; the window that counts is
    // the one directly below the root.
    Window current = focus;
    for (int depth = 0; depth < 64; ++depth) {
        Window rootReturn = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, current, &rootReturn, &parent, &children, &count)) return None;
        if (children) XFree(children);
        if (parent == x.root() || parent == None) return current;
        current = parent;
    }
    return None;
}

} // namespace

bool X11ScreenState::screenSaverActive() {
    X11Connection x;
    if (!x.isOpen()) return false;
    int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
    XGetScreenSaver(x.display(), &timeout, &interval, &preferBlanking, &allowExposures);
    return timeout != 0;
}

bool X11ScreenState::setScreenSaverActive(bool active) {
    X11Connection x;
    if (!x.isOpen()) return false;
    Display* d = x.display();
    X11ErrorTrap trap(d);
    if (active) {
        // Back to the server's defaults, as "xset s on" does.
        XSetScreenSaver(d, -1, -1, DefaultBlanking, DefaultExposures);
        int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
        XGetScreenSaver(d, &timeout, &interval, &preferBlanking, &allowExposures);
        // A server started with a zero default would stay off: switching on must switch on.
        if (timeout == 0) XSetScreenSaver(d, kFallbackTimeoutSeconds, -1, DefaultBlanking, DefaultExposures);
    } else {
        int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
        XGetScreenSaver(d, &timeout, &interval, &preferBlanking, &allowExposures);
        XSetScreenSaver(d, 0, interval, preferBlanking, allowExposures);
    }
    if (trap.failed()) return false;
    int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
    XGetScreenSaver(d, &timeout, &interval, &preferBlanking, &allowExposures);
    return (timeout != 0) == active;
}

bool X11ScreenState::screenSaverRunning() {
    X11Connection x;
    if (!x.isOpen()) return false;
    int eventBase = 0, errorBase = 0;
    if (!XScreenSaverQueryExtension(x.display(), &eventBase, &errorBase)) return false;
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (!info) return false;
    X11ErrorTrap trap(x.display());
    const Status ok = XScreenSaverQueryInfo(x.display(), x.root(), info);
    const bool running = ok && !trap.failed() && info->state == ScreenSaverOn;
    XFree(info);
    return running;
}

bool X11ScreenState::fullScreenForeground(int screenWidth, int screenHeight) {
    X11Connection x;
    if (!x.isOpen()) return false;
    const Window window = foregroundWindow(x);
    if (window == None || window == x.root()) return false;

    // The desktop in front never holds a change back.
    const auto types = x.longProperty(window, x.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM);
    if (contains(types, x.atom("_NET_WM_WINDOW_TYPE_DESKTOP"))) return false;

    const auto states = x.longProperty(window, x.atom("_NET_WM_STATE"), XA_ATOM);
    if (contains(states, x.atom("_NET_WM_STATE_FULLSCREEN"))) return true;

    // The client area, not the frame: a maximised window's title bar keeps it off the top edge.
    Display* d = x.display();
    X11ErrorTrap trap(d);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d, window, &attributes)) return false;
    int left = 0, top = 0;
    Window child = None;
    if (!XTranslateCoordinates(d, window, x.root(), 0, 0, &left, &top, &child)) return false;
    if (trap.failed()) return false;
    const int right = left + attributes.width;
    const int bottom = top + attributes.height;
    return left < kEdgeSlack && top < kEdgeSlack && right > screenWidth - kEdgeSlack &&
           bottom > screenHeight - kEdgeSlack;
}
