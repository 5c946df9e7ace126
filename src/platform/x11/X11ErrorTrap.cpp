// SPDX-License-Identifier: MIT
#include "X11ErrorTrap.h"

namespace {
// Xlib has one error handler per process; traps nest, and the innermost one for the
// failing connection takes the error.
thread_local X11ErrorTrap* t_innermost = nullptr;
} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : m_display(display), m_outer(t_innermost), m_previousHandler(XSetErrorHandler(&X11ErrorTrap::handler)) {
    t_innermost = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    // Errors of requests still in flight must reach this trap, not the default handler.
    if (m_display) XSync(m_display, False);
    t_innermost = m_outer;
    XSetErrorHandler(m_previousHandler);
}

bool X11ErrorTrap::failed() {
    if (m_display) XSync(m_display, False);
    return m_errorCode != 0;
}

int X11ErrorTrap::handler(Display* display, XErrorEvent* event) {
    X11ErrorTrap* target = t_innermost;
    for (X11ErrorTrap* t = t_innermost; t; t = t->m_outer) {
        if (t->m_display == display) {
            target = t;
            break;
        }
    }
    if (target && target->m_errorCode == 0) target->m_errorCode = event->error_code;
    return 0;
}
