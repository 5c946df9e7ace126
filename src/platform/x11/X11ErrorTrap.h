// SPDX-License-Identifier: MIT
#pragma once

#include <X11/Xlib.h>

// Catches X protocol errors (BadPixmap, BadWindow, BadAlloc...) while it lives, instead of
// Xlib's default handler, which prints and exits the process. Windows and pixmaps of other
// clients can vanish at any moment, so every look at them needs one of these.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server to answer everything sent so far; true when any request failed
    // since the trap was set or last reset.
    bool failed();
    // The first error code caught (0 when none), after failed() has synchronised.
    int errorCode() const { return m_errorCode; }
    void reset() { m_errorCode = 0; }

private:
    static int handler(Display* display, XErrorEvent* event);

    Display* m_display;
    X11ErrorTrap* m_outer;
    int (*m_previousHandler)(Display*, XErrorEvent*);
    int m_errorCode = 0;
};
